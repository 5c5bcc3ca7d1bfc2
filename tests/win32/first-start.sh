#!/usr/bin/env bash
# First start of lirra.exe against the shop server: lays out the demo data and a shop folder,
# serves them on the client's built-in host (loopback), then runs the window driver's FirstStart
# test, which starts the client and watches its loading window. Each run has a fresh Wine prefix
# of its own, so every start is a first start on a clean PC.
#   first-start.sh EMULATOR DRIVER_EXE LIRRA_EXE CARDX_OCX INSTALLERS_DIR PLATFORM_HOST
set -euo pipefail

emulator=$1 driver=$2 client=$3 cardx=$4 installers=$5 host=$6
here=$(cd "$(dirname "$0")/../.." && pwd)
work="$(dirname "$driver")/first-start"

case "$host" in
  127.0.0.1:*) port=${host##*:} ;;
  *) echo "the client is built for $host, not the loopback shop server; skipping"; exit 77 ;;
esac

source "$here/tests/win32/fresh-prefix.sh"
fresh_prefix "$(dirname "$driver")" "$work/prefix"
rm -rf "$work/shop" "$work/data"
mkdir -p "$work/shop"
LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
cp "$client" "$work/shop/"
cp -r "$here/res" "$work/shop/res"
cp "$cardx" "$work/shop/"
# Left by an earlier start: HID not recorded, so the load puts the file back in its default form.
printf '[HID]\r\nvalue=0\r\n[NJYS]\r\nvalue=1\r\n' >"$work/shop/config.ini"

python3 "$here/tools/shop-server/shop_server.py" --root "$work/data" --host 127.0.0.1 --port "$port" \
  >"$work/server.log" 2>&1 &
server=$!
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 1 100); do
  grep -q '^listening' "$work/server.log" 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$work/server.log" >&2; echo "shop server did not start on $port" >&2; exit 1; }
  sleep 0.1
done

wineserver -p
# Wine's background services start with the first program and inherit its output: start them
# away from ctest's pipes.
"$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 </dev/null

export LIRRA_SHOP_DIR="$work/shop" LIRRA_SHOP_MANIFEST="$work/data/mervo/store/mervoDrivce/file.ini"
"$here/scripts/with-display.sh" "$emulator" "$driver" --gtest_filter='FirstStart.*'
