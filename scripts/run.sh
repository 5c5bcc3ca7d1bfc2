#!/usr/bin/env bash
# Builds the Windows client in a folder of its own (build/demo), starts the bundled shop server
# on loopback with its demo data, lays out a shop folder (lirra.exe, res/, the stand-in
# CardX.ocx) and runs the client under Wine in the demo's own 64-bit prefix: on the user's
# display, or in a private Xvfb with screenshots in build/screenshots/ when there is none. The
# server is stopped at the end. The client is the 32-bit one we ship, under WOW64 as on most
# shop PCs, wherever 32-bit Windows programs run here (scripts/wine.sh road), else its 64-bit
# build. It is built with the demo's manifest key (scripts/make-demo-key.sh) and the demo data
# is signed with it, so the manifest takes the signed path; the builds of the README stay
# unkeyed.
# Environment: LIRRA_RUN_SECONDS (how long a headless run is watched, default 60).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
wine="$here/scripts/wine.sh"
"$here/scripts/setup.sh"
if [ "$("$wine" road)" = none ]; then
  arch=win64
  echo "running the client's 64-bit build instead of the 32-bit one we ship"
else
  arch=win32
fi
demo="$here/build/demo"
build="$demo/$arch"
run="$demo/run"
shots="$here/build/screenshots"
seconds=${LIRRA_RUN_SECONDS:-60}

demo_key=$(tr -d '\r\n' <"$here/build/demo-key/manifest-public.b64")
cmake --preset "$arch" -B "$build" -DLIRRA_TESTS=OFF -DLIRRA_MANIFEST_PUBLIC_KEY="$demo_key" >/dev/null
cmake --build "$build" --target lirra lirra_fixture_cardx lirra_fixture_installer

# The client talks to the hosts it was built with; the server listens on that address.
platform_host=$(sed -n 's/^LIRRA_PLATFORM_HOST:STRING=//p' "$build/CMakeCache.txt")
platform_host=${platform_host:-127.0.0.1:18080}
port=${platform_host##*:}
[ "$port" != "$platform_host" ] || port=80

rm -rf "$run"
mkdir -p "$run/shop" "$shots"
LIRRA_DEMO_HOST="$platform_host" "$here/tools/shop-server/make-demo-data.sh" "$run/data" \
  "$build/tools/fixtures/installers" >/dev/null

source "$here/tests/win32/shop-server.sh"
start_shop_server "$run/data" "$port" "$run/server.log"
trap stop_shop_server EXIT
echo "shop server on http://127.0.0.1:$port/ (log: $run/server.log)"

cp "$build/src/app/lirra.exe" "$run/shop/"
cp -r "$here/res" "$run/shop/res"
[ -f "$build/tools/fixtures/CardX.ocx" ] && cp "$build/tools/fixtures/CardX.ocx" "$run/shop/"

cd "$run/shop"
export LIRRA_WINE_ARCH=win64 LIRRA_WINEPREFIX="$demo/prefix"
"$here/scripts/with-display.sh" "$here/scripts/watch-client.sh" "$seconds" "$shots" "$wine" run lirra.exe
