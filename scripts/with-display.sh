#!/usr/bin/env bash
# Runs a command with an X display: the caller's when it answers, otherwise a private Xvfb on a
# free display number, stopped afterwards.
set -euo pipefail

display_answers() {
  [ -n "${DISPLAY:-}" ] || return 1
  local n=${DISPLAY#*:}
  n=${n%%.*}
  [ -S "/tmp/.X11-unix/X$n" ]
}

if display_answers; then
  exec "$@"
fi

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  [ -S "/tmp/.X11-unix/X$n" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start on :$n" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=":$n" LIRRA_PRIVATE_DISPLAY=1
"$@"
