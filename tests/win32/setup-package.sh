#!/usr/bin/env bash
# The setup package under Wine: packs this build's client with scripts/package.sh, makes a fresh
# Wine prefix of its own (of the kind LIRRA_WINE_ARCH names: the 32-bit package also runs under
# WOW64), serves the demo data on the client's built-in loopback host in a network of its own
# and runs setup_package_test.exe in that prefix.
#   setup-package.sh TEST_EXE CARDX_OCX INSTALLERS_DIR PLATFORM_HOST BUILD_DIR
set -euo pipefail

test_exe=$1 cardx=$2 installers=$3 host=$4 build=$5
here=$(cd "$(dirname "$0")/../.." && pwd)
wine="$here/scripts/wine.sh"
kind=${LIRRA_WINE_ARCH:-win32}
work="$(dirname "$test_exe")/setup-package-$kind"

source "$here/tests/win32/shop-server.sh"
own_network "$@"
shop_port "$host"

export LIRRA_WINEPREFIX="$work/prefix"
"$wine" prefix --from "$(dirname "$test_exe")/pristine-$kind"
rm -rf "$work/package" "$work/data" "$work/report.xml"

setup=$(LIRRA_BUILD_DIR="$build" LIRRA_PACKAGE_DIR="$work/package" "$here/scripts/package.sh" "$cardx" | tail -n 1)
[ -f "$setup" ] || { echo "no setup package from scripts/package.sh" >&2; exit 1; }

LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
start_shop_server "$work/data" "$port" "$work/server.log"
trap stop_shop_server EXIT

export LIRRA_SETUP_EXE="$setup" LIRRA_SETUP_VERSION="$(cat "$build/lirra-version.txt")"
"$wine" session "$here/scripts/with-display.sh" "$wine" run "$test_exe" "$(test_report "$work/report.xml")"
expect_tests_passed "$work/report.xml"
# A passed run's prefix goes (a failed one stays to be looked at): each holds hundreds of MB.
"$wine" stop --remove
