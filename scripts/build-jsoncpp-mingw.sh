#!/usr/bin/env bash
# Cross-builds jsoncpp for Windows from Debian's source package into build/deps: 32-bit (i686,
# the default) for the shipped client, x86_64 for the 64-bit test build. Built again only when
# this script or its patch has changed.
#   build-jsoncpp-mingw.sh [i686|x86_64]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
patch_file="$here/scripts/patches/jsoncpp-without-streams.patch"
source "$here/scripts/debian-source.sh"
deps_prefix jsoncpp "$arch"
deps_recipe "$here/scripts/build-jsoncpp-mingw.sh" "$patch_file"
deps_lock
deps_current "$prefix/lib/libjsoncpp.a" && exit 0

work="$here/build/deps/jsoncpp-src-$arch"
unpack_debian_source libjsoncpp "$work"
# The client parses strings only: without the stream entry points it links no iostreams and
# no locales (the patch says more).
patch -d "$work/src" -p1 --quiet <"$patch_file"

rm -rf "$prefix"
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="" \
  -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DCMAKE_CXX_FLAGS="-D_WIN32_WINNT=0x0501 -DJSONCPP_WITHOUT_STREAMS -ffunction-sections -fdata-sections" \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
  -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
  -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=OFF >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
[ -f "$prefix/lib/libjsoncpp.a" ]
deps_stamp
echo "jsoncpp for Windows ($arch): $prefix"
