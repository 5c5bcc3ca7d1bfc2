#!/usr/bin/env bash
# Runs the client. On the user's display it simply runs; on a private Xvfb (see with-display.sh)
# it runs for at most SECONDS, saving a screenshot every second into SHOTS_DIR.
#   watch-client.sh SECONDS SHOTS_DIR COMMAND [ARG...]
set -euo pipefail

seconds=$1 shots=$2
shift 2
[ -n "${LIRRA_PRIVATE_DISPLAY:-}" ] || exec "$@"
mkdir -p "$shots"
rm -f "$shots"/run-*.png
"$@" &
client=$!
echo "running in $DISPLAY for up to $seconds s, screenshots in $shots"
for i in $(seq -w 1 "$seconds"); do
  sleep 1
  import -window root "$shots/run-$i.png" 2>/dev/null || true
  kill -0 "$client" 2>/dev/null || break
done
if kill -0 "$client" 2>/dev/null; then
  echo "the client is still open after $seconds s (a window waits for the user); stopping it"
  kill "$client" 2>/dev/null || true
  wait "$client" 2>/dev/null || true
elif wait "$client"; then
  echo "the client ended with code 0"
else
  echo "the client ended with code $?"
fi
