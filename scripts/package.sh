#!/usr/bin/env bash
# Builds the setup package, build/package/lirra-setup-VERSION.exe, with NSIS from installer/lirra.nsi.
#   scripts/package.sh [CARDX_OCX]
# CARDX_OCX is the shop's card-reader plug-in to ship; without it, the test stand-in of the win32
# build (build/win32/tools/fixtures/CardX.ocx), for a demo package.
# The client comes from the release build (build/release, configured first with
# `cmake --preset release -D...`; see the README); LIRRA_BUILD_DIR names another configured build
# (the tests pack their own), whose lirra.exe is then stripped here. LIRRA_PACKAGE_DIR puts the
# package elsewhere. The version is the build's, from project(VERSION). The tests of the update in
# place pack other clients of that build: LIRRA_PACKAGE_CLIENT names the lirra.exe to pack and
# LIRRA_PACKAGE_VERSION the version the package then carries.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${LIRRA_BUILD_DIR:-$here/build/release}
out=${LIRRA_PACKAGE_DIR:-$here/build/package}
cardx=${1:-$here/build/win32/tools/fixtures/CardX.ocx}

fail() {
  echo "package: $*" >&2
  exit 2
}

[ -f "$build/CMakeCache.txt" ] ||
  fail "$build is not configured; configure the release build first, e.g. cmake --preset release -DLIRRA_PLATFORM_HOST=shop.example:80 ... (or -DLIRRA_DEMO=ON for a demo)"
[ -f "$cardx" ] ||
  fail "no CardX.ocx at $cardx; give the plug-in's path (the demo's stand-in: cmake --build --preset win32 --target lirra_fixture_cardx)"
command -v makensis >/dev/null || "$here/scripts/setup.sh" --packages-only

cmake --build "$build" --target lirra >/dev/null
version=${LIRRA_PACKAGE_VERSION:-$(cat "$build/lirra-version.txt")}
client=${LIRRA_PACKAGE_CLIENT:-$build/src/app/lirra.exe}
[ -f "$client" ] || fail "no lirra.exe in $build (is it a Windows build?)"

stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage/res"
# The shipped client is 32-bit; a 64-bit build (the tests' on a kernel without 32-bit
# emulation) gets a 64-bit setup program to match.
arch=i686 target=x86-unicode
if grep -q '^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*mingw-x86_64' "$build/CMakeCache.txt"; then
  arch=x86_64 target=amd64-unicode
fi
if grep -q '^LIRRA_RELEASE:BOOL=ON' "$build/CMakeCache.txt"; then
  cp "$client" "$stage/lirra.exe"  # already stripped, with its debug link
else
  "$arch-w64-mingw32-strip" --strip-all -o "$stage/lirra.exe" "$client"
fi
cp "$cardx" "$stage/CardX.ocx"
cp "$here"/res/* "$stage/res/"
size_kb=$(du -sk --apparent-size "$stage" | cut -f1)

package="$out/lirra-setup-$version.exe"
makensis -V2 -INPUTCHARSET UTF8 -DTARGET="$target" -DVERSION="$version" -DSTAGE="$stage" -DSIZE_KB="$size_kb" \
  -DICON="$here/resources/lirra.ico" -DOUTFILE="$package" "$here/installer/lirra.nsi"
echo "$package"
