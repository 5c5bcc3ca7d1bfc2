#!/usr/bin/env bash
# The first start of lirra.exe against the shop server in fresh 64-bit Wine prefixes, one per
# Windows version the client tells apart, each in a Wine session of its own: the prefix is a
# copy of an untouched one made once per build tree, set to the version with winecfg, with a
# new shop folder (lirra.exe, res/, CardX.ocx and nothing the client keeps). windows_versions_test
# then runs that version's road (lirractl doctor, the first start to the driver manager, a
# second start to the browser window).
#   windows-versions.sh TEST_EXE LIRRA_EXE LIRRACTL_EXE CARDX_OCX INSTALLERS_DIR PLATFORM_HOST [VERSION...]
# The versions default to every one the test knows; Wine's 64-bit prefix refuses "winxp", so the
# Windows XP road (the IE 8 step, the XP32 key) can't be taken with this build.
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/win32/shop-server.sh"
own_network "$@"

test_exe=$1 client=$2 lirractl=$3 cardx=$4 installers=$5 host=$6
shift 6
versions=("$@")
[ ${#versions[@]} -gt 0 ] || versions=(win7 win81 win10 winxp64)
work="$(dirname "$test_exe")/windows-versions"
export LIRRA_WINE_ARCH=win64

shop_port "$host"

source "$here/tests/win32/fresh-prefix.sh"

for version in "${versions[@]}"; do
  [ -d "$work/$version/prefix" ] && WINEPREFIX="$work/$version/prefix" wineserver -k 2>/dev/null || true
done
rm -rf "$work"
mkdir -p "$work"
LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
start_shop_server "$work/data" "$port" "$work/server.log"
session_prefix=""
cleanup() {
  [ -n "$session_prefix" ] && { WINEPREFIX="$session_prefix" wineserver -k 2>/dev/null || true; }
  stop_shop_server
}
trap cleanup EXIT

failed=()
for version in "${versions[@]}"; do
  echo "== $version"
  start=$SECONDS
  dir="$work/$version"
  mkdir -p "$dir/shop"
  cp "$client" "$cardx" "$dir/shop/"
  cp -r "$here/res" "$dir/shop/res"

  fresh_prefix "$(dirname "$test_exe")" "$dir/prefix"
  session_prefix=$WINEPREFIX
  start_wine_session
  if ! "$here/scripts/wine-run.sh" winecfg /v "$version" >/dev/null 2>&1 </dev/null; then
    echo "winecfg refused the Windows version $version" >&2
    failed+=("$version")
  elif ! LIRRA_WINDOWS_VERSION="$version" LIRRA_SHOP_DIR="$dir/shop" LIRRA_LIRRACTL="$lirractl" \
       "$here/scripts/wine-run.sh" "$test_exe"; then
    failed+=("$version")
  fi
  wineserver -k 2>/dev/null || true
  session_prefix=""
  echo "== $version took $((SECONDS - start)) s"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed in: ${failed[*]}" >&2
  exit 1
fi
