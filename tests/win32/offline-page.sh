#!/usr/bin/env bash
# The browser window against a platform host that can't be reached and opens later: runs the
# OfflinePage test, which listens on the client's built-in platform port itself, in a network of
# the run's own and a fresh Wine prefix (whose wineserver, and so whose sockets, live in that
# network; the shared prefix's may not).
#   offline-page.sh EMULATOR DRIVER_EXE PLATFORM_HOST
set -euo pipefail

emulator=$1 driver=$2 host=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
wine="$here/scripts/wine.sh"
work="$(dirname "$driver")/offline-page"

source "$here/tests/win32/shop-server.sh"
own_network "$@"
shop_port "$host"
if port_taken "$port"; then
  echo "something already answers on 127.0.0.1:$port; the client would not see a closed platform" >&2
  exit 1
fi

export LIRRA_WINEPREFIX="$work/prefix"
"$wine" prefix --from "$(dirname "$driver")/pristine-${LIRRA_WINE_ARCH:-win32}"
rm -f "$work/report.xml"
"$wine" session "$here/scripts/with-display.sh" "$emulator" "$driver" "$(test_report "$work/report.xml")"
expect_tests_passed "$work/report.xml"
# A passed run's prefix goes (a failed one stays to be looked at).
"$wine" stop --remove
