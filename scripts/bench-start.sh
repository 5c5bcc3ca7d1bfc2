#!/usr/bin/env bash
# Start time of the client on a prepared PC against the bare WebBrowser host (tools/bench), both
# under Wine in the same warm prefix, started alternately A B A B so drift hits both; each run
# is timed by tools/bench/start_timer.exe from just before CreateProcess to the first visible
# top-level window that holds the browser control's host window (AtlAxWin). Prints min, median
# and max of both and the ratio of the medians (target: at most 1.5).
#   scripts/bench-start.sh [RUNS]
# The prepared PC: a signed file.ini as the download host serves it, with its signature,
# config.ini, CardX.ocx registered, the HID reader driver's folder present, Internet Explorer 11
# and the current version on the server, so the preparation asks nothing and installs nothing
# and the browser window follows the loading window. The client is built with the demo key in
# build/bench-start-ARCH (optimised for size, like the release), the 64-bit build where this
# kernel runs no 32-bit programs (scripts/wine.sh arch); the shop server serves the client's
# built-in host in a network of the run's own.
# Fair to both: the prefix's X11 driver doesn't hand windows to a window manager (Managed=N), so
# no start waits on one; the bare host loads the client's first page (the login page, from the
# same server) rather than its synchronous about:blank.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
arch=$("$here/scripts/wine.sh" arch)
export LIRRA_WINE_ARCH=$arch
build="$here/build/bench-start-$arch"
work="$build/bench"
host=127.0.0.1:18080

# Wine through scripts/wine.sh, the prefix's server kept up for the whole run.
wine_setup() {
  export LIRRA_WINEPREFIX=$1 WINEPREFIX=$1
  "$here/scripts/wine.sh" prefix
  wineserver -p >/dev/null 2>&1  # its dump of what a killed process left goes nowhere
}
run_wine() { "$here/scripts/wine.sh" run "$@"; }
stop_wine() { "$here/scripts/wine.sh" stop; }

if [ -z "${LIRRA_OWN_NETWORK:-}" ]; then
  "$here/scripts/make-demo-key.sh" >/dev/null
  demo_key=$(tr -d '\r\n' <"$here/build/demo-key/manifest-public.b64")
  (cd "$here" && cmake --preset "$arch" -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel -DLIRRA_TESTS=OFF \
    -DLIRRA_PLATFORM_HOST="$host" -DLIRRA_DOWNLOAD_HOST="$host" -DLIRRA_MANIFEST_PUBLIC_KEY="$demo_key" >/dev/null)
  cmake --build "$build" --target lirra bare_browser_host start_timer lirra_fixture_cardx >/dev/null
fi

source "$here/tests/win32/shop-server.sh"
own_network "$@"
shop_port "$host"
[ -n "${LIRRA_BENCH_DISPLAY:-}" ] || LIRRA_BENCH_DISPLAY=1 exec "$here/scripts/with-display.sh" "$0" "$@"

# A prefix of the benchmark's own (made once, minutes; kept warm between runs), so that what
# the preparation leaves in it never reaches the tests' prefixes.
wine_setup "$work/prefix"
server=""
cleanup() {
  stop_shop_server
  stop_wine
}
trap cleanup EXIT
run_wine cmd /c exit >/dev/null 2>&1 </dev/null
run_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

rm -rf "$work/shop" "$work/data" "$work/timer.log"
mkdir -p "$work/shop" "$LIRRA_WINEPREFIX/drive_c/Program Files/HID Global/OMNIKEY 3x2x"
LIRRA_DEMO_HOST="$host" "$here/tools/shop-server/make-demo-data.sh" "$work/data" >/dev/null
cp "$build/src/app/lirra.exe" "$build/tools/fixtures/CardX.ocx" "$work/data/mervo/store/mervoDrivce/file.ini" \
  "$work/data/mervo/store/mervoDrivce/file.ini.sig" "$work/shop/"
cp -r "$here/res" "$work/shop/res"
printf '[HID]\r\nvalue=1\r\n[YSB]\r\nvalue=0\r\n[NJYS]\r\nvalue=0\r\n[WHJL]\r\nvalue=0\r\n[SDSS]\r\nvalue=0\r\n' \
  >"$work/shop/config.ini"
windows_path() { echo "Z:${1//\//\\}"; }
run_wine regsvr32 /s "$(windows_path "$work/shop/CardX.ocx")" >/dev/null 2>&1

start_shop_server "$work/data" "$port" "$work/server.log"

timer=$(windows_path "$build/tools/bench/start_timer.exe")
client=$(windows_path "$work/shop/lirra.exe")
bare=$(windows_path "$build/tools/bench/bare_browser_host.exe")
page="http://$host/jxsplatform/login.html"

# start_ms NAME: one start of the client or the bare host, in milliseconds.
start_ms() {
  case "$1" in
    client) run_wine "$timer" AtlAxWin "$client" ;;
    bare) run_wine "$timer" AtlAxWin "$bare" "$page" ;;
  esac 2>>"$work/timer.log" </dev/null | tr -d '\r' | tail -n 1
}

{
  for name in client bare; do start_ms "$name" >/dev/null; done  # warm-up, not counted
  for _ in $(seq "$runs"); do
    for name in client bare; do echo "$name $(start_ms "$name")"; done
  done
} >"$work/times"

python3 - "$work/times" <<'PY'
import statistics, sys
times = {"client": [], "bare": []}
for line in open(sys.argv[1]):
    name, _, value = line.strip().partition(" ")
    try:
        times[name].append(float(value))
    except ValueError:
        sys.exit(f"bench-start.sh: a {name} start failed (see timer.log): {line.strip()!r}")
labels = {"client": "lirra.exe (prepared PC)", "bare": "bare WebBrowser host"}
for name, ts in times.items():
    print(f"{labels[name]:24s} min {min(ts):7.1f}  median {statistics.median(ts):7.1f}  max {max(ts):7.1f} ms"
          f"  ({len(ts)} starts)")
ratio = statistics.median(times["client"]) / statistics.median(times["bare"])
print(f"ratio of medians client / bare host: {ratio:.2f}  (target at most 1.5)")
# Each client start beside the bare start that followed it: steadier on a busy machine.
pairs = [c / b for c, b in zip(times["client"], times["bare"])]
print(f"median of the paired ratios:         {statistics.median(pairs):.2f}")
PY
