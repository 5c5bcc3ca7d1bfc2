#!/usr/bin/env bash
# First start of lirra.exe against the shop server: lays out the demo data and a shop folder,
# serves them on the client's built-in host (loopback, in a network of the run's own), then runs
# the window driver's FirstStart test, which starts the client and watches its loading window.
# Each run has a fresh Wine prefix of its own, so every start is a first start on a clean PC.
#   first-start.sh EMULATOR DRIVER_EXE LIRRA_EXE CARDX_OCX INSTALLERS_DIR PLATFORM_HOST
set -euo pipefail

emulator=$1 driver=$2 client=$3 cardx=$4 installers=$5 host=$6
here=$(cd "$(dirname "$0")/../.." && pwd)
wine="$here/scripts/wine.sh"
work="$(dirname "$driver")/first-start"

source "$here/tests/win32/shop-server.sh"
own_network "$@"
shop_port "$host"

export LIRRA_WINEPREFIX="$work/prefix"
"$wine" prefix --from "$(dirname "$driver")/pristine-${LIRRA_WINE_ARCH:-win32}"
rm -rf "$work/shop" "$work/data" "$work/report.xml"
mkdir -p "$work/shop"
LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
cp "$client" "$work/shop/"
cp -r "$here/res" "$work/shop/res"
cp "$cardx" "$work/shop/"
# Left by an earlier start: HID not recorded, so the load puts the file back in its default form.
printf '[HID]\r\nvalue=0\r\n[NJYS]\r\nvalue=1\r\n' >"$work/shop/config.ini"

start_shop_server "$work/data" "$port" "$work/server.log"
trap stop_shop_server EXIT

export LIRRA_SHOP_DIR="$work/shop" LIRRA_SHOP_MANIFEST="$work/data/mervo/store/mervoDrivce/file.ini"
"$wine" session "$here/scripts/with-display.sh" "$emulator" "$driver" --gtest_filter='FirstStart.*' \
  "$(test_report "$work/report.xml")"
expect_tests_passed "$work/report.xml"
# A passed run's prefix goes (a failed one stays to be looked at): each holds hundreds of MB.
"$wine" stop --remove
