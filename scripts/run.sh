#!/usr/bin/env bash
# Builds the Windows client, starts the bundled shop server on loopback with its demo data, lays
# out a shop folder (lirra.exe, res/, the stand-in CardX.ocx) and runs the client under Wine: on
# the user's display, or in a private Xvfb with screenshots in build/screenshots/ when there is
# none. The server is stopped at the end. The client is built with the demo's manifest key
# (scripts/make-demo-key.sh) and the demo data is signed with it, so the manifest takes the
# signed path.
# Environment: LIRRA_RUN_SECONDS (how long a headless run is watched, default 60).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
# The shipped 32-bit client, or its 64-bit build where this kernel runs no 32-bit programs.
arch=$("$here/scripts/wine-arch.sh")
export LIRRA_WINE_ARCH=$arch
build="$here/build/$arch"
run="$here/build/run"
shots="$here/build/screenshots"
seconds=${LIRRA_RUN_SECONDS:-60}

demo_key=$(tr -d '\r\n' <"$here/build/demo-key/manifest-public.b64")
cmake --preset "$arch" -DLIRRA_MANIFEST_PUBLIC_KEY="$demo_key" >/dev/null
cmake --build --preset "$arch" --target lirra lirra_fixture_cardx lirra_fixture_installer

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
stop_all() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
}
trap stop_all EXIT
for _ in $(seq 1 100); do
  grep -q '^listening' "$run/server.log" 2>/dev/null && break
  kill -0 "$server" 2>/dev/null || { cat "$run/server.log" >&2; echo "shop server did not start" >&2; exit 1; }
  sleep 0.1
done
echo "shop server on http://127.0.0.1:$port/ (log: $run/server.log)"

cp "$build/src/app/lirra.exe" "$run/shop/"
cp -r "$here/res" "$run/shop/res"
[ -f "$build/tools/fixtures/CardX.ocx" ] && cp "$build/tools/fixtures/CardX.ocx" "$run/shop/"

cd "$run/shop"
"$here/scripts/with-display.sh" "$here/scripts/watch-client.sh" "$seconds" "$shots" "$here/scripts/wine-run.sh" lirra.exe
