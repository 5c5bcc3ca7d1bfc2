#!/usr/bin/env bash
# Cross-builds libsodium for 32-bit Windows (XP and later) from Debian's source package, once,
# into build/deps. Static only; its random numbers come from RtlGenRandom (advapi32's
# SystemFunction036), which XP has, so nothing newer than XP is imported.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
prefix="$here/build/deps/libsodium-mingw"
[ -f "$prefix/lib/libsodium.a" ] && exit 0

work="$here/build/deps/libsodium-src"
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source --download-only libsodium >/dev/null 2>&1 || apt-get source --download-only libsodium)
dsc=$(ls "$work"/*.dsc | head -n 1)
(cd "$work" && dpkg-source --no-check -x "$(basename "$dsc")" src >/dev/null)
# The source package carries no generated configure script; Debian's build runs autoreconf too.
(cd "$work/src" && autoreconf -if >/dev/null 2>&1)

# --disable-ssp: MinGW's stack protector needs libssp, which the static programs don't link.
(cd "$work/src" &&
  CC=i686-w64-mingw32-gcc-posix AR=i686-w64-mingw32-ar RANLIB=i686-w64-mingw32-ranlib \
    CFLAGS="-O2 -D_WIN32_WINNT=0x0501 -DWINVER=0x0501" \
    ./configure --host=i686-w64-mingw32 --prefix="$prefix" --disable-shared --enable-static \
    --disable-ssp --disable-pie --with-pic=no >/dev/null)
make -C "$work/src" -j2 >/dev/null
make -C "$work/src" install >/dev/null
[ -f "$prefix/lib/libsodium.a" ]
echo "libsodium for Windows: $prefix"
