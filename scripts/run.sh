#!/usr/bin/env bash
# Builds the Windows client, starts the bundled shop server on loopback with its demo data, lays
# out a shop folder (lirra.exe, res/, the stand-in CardX.ocx) and runs the client under Wine: on
# the user's display, or in a private Xvfb with screenshots in build/screenshots/ when there is
# none. The server is stopped at the end.
# Environment: LIRRA_RUN_SECONDS (how long a headless run is watched, default 60).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build/win32"
run="$here/build/run"
shots="$here/build/screenshots"
seconds=${LIRRA_RUN_SECONDS:-60}

"$here/scripts/setup.sh"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target lirra lirra_fixture_cardx lirra_fixture_installer

# The client talks to the hosts it was built with; the server listens on that address.
platform_host=$(sed -n 's/^LIRRA_PLATFORM_HOST:STRING=//p' "$build/CMakeCache.txt")
platform_host=${platform_host:-127.0.0.1:18080}
port=${platform_host##*:}
[ "$port" != "$platform_host" ] || port=80

rm -rf "$run"
mkdir -p "$run/shop" "$shots"
LIRRA_DEMO_HOST="$platform_host" "$here/tools/shop-server/make-demo-data.sh" "$run/data" \
  "$build/tools/fixtures/installers" >/dev/null

python3 "$here/tools/shop-server/shop_server.py" --root "$run/data" --host 127.0.0.1 --port "$port" \
  >"$run/server.log" 2>&1 &
server=$!
client=""
stop_all() {
  [ -z "$client" ] || kill "$client" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  [ -z "${xvfb:-}" ] || kill "$xvfb" 2>/dev/null || true
}
trap stop_all EXIT
for _ in $(seq 1 100); do
  grep -q '^listening' "$run/server.log" 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$run/server.log" >&2; echo "shop server did not start" >&2; exit 1; }
  sleep 0.1
done
echo "shop server on http://127.0.0.1:$port/ (log: $run/server.log)"

cp "$build/src/app/win32/lirra.exe" "$run/shop/"
cp -r "$here/res" "$run/shop/res"
[ -f "$build/tools/fixtures/CardX.ocx" ] && cp "$build/tools/fixtures/CardX.ocx" "$run/shop/"

has_display() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    xdpyinfo >/dev/null 2>&1
  else
    local n=${DISPLAY#*:}
    [ -S "/tmp/.X11-unix/X${n%%.*}" ]
  fi
}

cd "$run/shop"
if has_display; then
  "$here/scripts/wine-run.sh" lirra.exe
  exit 0
fi

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [ -S "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"

rm -f "$shots"/run-*.png
"$here/scripts/wine-run.sh" lirra.exe &
client=$!
echo "no display: running in Xvfb $DISPLAY for up to $seconds s, screenshots in $shots"
for i in $(seq -w 1 "$seconds"); do
  sleep 1
  import -window root "$shots/run-$i.png" 2>/dev/null || true
  kill -0 "$client" 2>/dev/null || break
done
if kill -0 "$client" 2>/dev/null; then
  echo "the client is still waiting (for an answer in a message box?); stopping it"
else
  wait "$client" && echo "the client ended with code 0" || echo "the client ended with code $?"
  client=""
fi
