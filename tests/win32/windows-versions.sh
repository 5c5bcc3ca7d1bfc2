#!/usr/bin/env bash
# The first start of lirra.exe against the shop server in fresh Wine prefixes of the kind
# LIRRA_WINE_ARCH names (win32, or win64 where a 32-bit client runs under WOW64), one per
# Windows version, each in a Wine session of its own: the prefix is a copy of an untouched one
# made once per build tree, set to the version with winecfg, with a new shop folder (lirra.exe,
# res/, CardX.ocx and nothing the client keeps). windows_versions_test then runs that version's
# road (lirractl doctor, the first start to the driver manager, a second start to the browser
# window, an Internet Explorer below 8).
#   windows-versions.sh TEST_EXE LIRRA_EXE LIRRACTL_EXE CARDX_OCX INSTALLERS_DIR PLATFORM_HOST VERSION...
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
wine="$here/scripts/wine.sh"
source "$here/tests/win32/shop-server.sh"
own_network "$@"

test_exe=$1 client=$2 lirractl=$3 cardx=$4 installers=$5 host=$6
shift 6
versions=("$@")
[ ${#versions[@]} -gt 0 ] || { echo "windows-versions.sh: name the Windows versions" >&2; exit 64; }
kind=${LIRRA_WINE_ARCH:-win32}
work="$(dirname "$test_exe")/windows-versions-$kind"
pristine="$(dirname "$test_exe")/pristine-$kind"

shop_port "$host"

for version in "${versions[@]}"; do
  LIRRA_WINEPREFIX="$work/$version/prefix" "$wine" stop
done
rm -rf "$work"
mkdir -p "$work"
LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
start_shop_server "$work/data" "$port" "$work/server.log"
trap stop_shop_server EXIT

failed=()
for version in "${versions[@]}"; do
  echo "== $version ($kind)"
  start=$SECONDS
  dir="$work/$version"
  mkdir -p "$dir/shop"
  cp "$client" "$cardx" "$dir/shop/"
  cp -r "$here/res" "$dir/shop/res"

  export LIRRA_WINEPREFIX="$dir/prefix"
  if ! "$wine" prefix --from "$pristine" --version "$version"; then
    failed+=("$version")
  elif ! LIRRA_WINDOWS_VERSION="$version" LIRRA_SHOP_DIR="$dir/shop" LIRRA_LIRRACTL="$lirractl" \
       "$wine" session "$wine" run "$test_exe" "$(test_report "$dir/report.xml")" ||
       ! expect_tests_passed "$dir/report.xml"; then
    failed+=("$version")
  else
    # A passed version's prefix goes (a failed one stays to be looked at): each holds hundreds of MB.
    "$wine" stop --remove
  fi
  echo "== $version ($kind) took $((SECONDS - start)) s"
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "failed in: ${failed[*]}" >&2
  exit 1
fi
