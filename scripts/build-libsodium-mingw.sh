#!/usr/bin/env bash
# Cross-builds libsodium for Windows from Debian's source package into build/deps: 32-bit
# (i686, the default; XP and later) for the shipped client, x86_64 for the 64-bit test build.
# Static only; its random numbers come from RtlGenRandom (advapi32's SystemFunction036), which
# XP has, so nothing newer than XP is imported. Built again only when this script has changed.
#   build-libsodium-mingw.sh [i686|x86_64]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
source "$here/scripts/debian-source.sh"
deps_prefix libsodium "$arch"
deps_recipe "$here/scripts/build-libsodium-mingw.sh"
deps_lock
deps_current "$prefix/lib/libsodium.a" && exit 0

# What the client calls is Ed25519, SHA-256 and base64: --enable-minimal leaves out what it
# doesn't, and a section per function lets the linker drop the rest. The 32-bit code goes
# without unwind tables: MinGW's linker keeps every unwind table, and a table keeps each function
# it describes. No exception crosses libsodium (it never calls back into C++); 64-bit Windows
# needs the tables to walk the stack, so the 64-bit test build keeps them.
cflags="-Os -ffunction-sections -fdata-sections -D_WIN32_WINNT=0x0501 -DWINVER=0x0501"
[ "$arch" = i686 ] && cflags+=" -fno-asynchronous-unwind-tables -fno-unwind-tables"

host="$arch-w64-mingw32"
work="$here/build/deps/libsodium-src-$arch"
unpack_debian_source libsodium "$work"
# The source package carries no generated configure script; Debian's build runs autoreconf too.
(cd "$work/src" && autoreconf -if >/dev/null 2>&1)

# --disable-ssp: MinGW's stack protector needs libssp, which the static programs don't link.
rm -rf "$prefix"
(cd "$work/src" &&
  CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib CFLAGS="$cflags" \
    ./configure --host="$host" --prefix="$prefix" --disable-shared --enable-static --enable-minimal \
    --disable-ssp --disable-pie --with-pic=no >/dev/null)
make -C "$work/src" -j2 >/dev/null
make -C "$work/src" install >/dev/null
[ -f "$prefix/lib/libsodium.a" ]
deps_stamp
echo "libsodium for Windows ($arch): $prefix"
