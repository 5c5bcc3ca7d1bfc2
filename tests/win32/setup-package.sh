#!/usr/bin/env bash
# The setup package under Wine: packs this build's client with scripts/package.sh, makes a fresh
# Wine prefix of its own (tests/win32/fresh-prefix.sh), serves the demo data on the client's
# built-in loopback host in a network of its own and runs setup_package_test.exe in that prefix.
#   setup-package.sh TEST_EXE CARDX_OCX INSTALLERS_DIR PLATFORM_HOST BUILD_DIR
set -euo pipefail

test_exe=$1 cardx=$2 installers=$3 host=$4 build=$5
here=$(cd "$(dirname "$0")/../.." && pwd)
work="$(dirname "$test_exe")/setup-package"

source "$here/tests/win32/shop-server.sh"
own_network "$@"
shop_port "$host"

source "$here/tests/win32/fresh-prefix.sh"
fresh_prefix "$(dirname "$test_exe")" "$work/prefix"
rm -rf "$work/package" "$work/data"

setup=$(LIRRA_BUILD_DIR="$build" LIRRA_PACKAGE_DIR="$work/package" "$here/scripts/package.sh" "$cardx" | tail -n 1)
[ -f "$setup" ] || { echo "no setup package from scripts/package.sh" >&2; exit 1; }

LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
start_shop_server "$work/data" "$port" "$work/server.log"
cleanup() {
  stop_shop_server
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

start_wine_session

export LIRRA_SETUP_EXE="$setup" LIRRA_SETUP_VERSION="$(cat "$build/lirra-version.txt")"
"$here/scripts/with-display.sh" "$here/scripts/wine-run.sh" "$test_exe"
