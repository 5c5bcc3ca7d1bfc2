#!/usr/bin/env bash
# Cross-builds jsoncpp for Windows from Debian's source package, once, into build/deps:
# 32-bit (i686, the default) for the shipped client, x86_64 for the 64-bit test build.
#   build-jsoncpp-mingw.sh [i686|x86_64]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
case "$arch" in
  i686) prefix="$here/build/deps/jsoncpp-mingw" ;;
  x86_64) prefix="$here/build/deps/jsoncpp-mingw64" ;;
  *) echo "build-jsoncpp-mingw.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
[ -f "$prefix/lib/libjsoncpp.a" ] && exit 0

work="$here/build/deps/jsoncpp-src-$arch"
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source --download-only libjsoncpp >/dev/null 2>&1 || apt-get source --download-only libjsoncpp)
dsc=$(ls "$work"/*.dsc | head -n 1)
(cd "$work" && dpkg-source --no-check -x "$(basename "$dsc")" src >/dev/null)

cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS="-D_WIN32_WINNT=0x0501" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
  -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
  -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=OFF >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
[ -f "$prefix/lib/libjsoncpp.a" ]
echo "jsoncpp for Windows ($arch): $prefix"
