#!/usr/bin/env bash
# Runs a command with one persistent wineserver for the project's prefix (LIRRA_WINE_ARCH picks
# the 32-bit or the 64-bit one), so each Windows test does not pay Wine's start-up; the server
# is stopped afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
"$here/scripts/wine-prefix.sh"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's background services start with the first program of a session and inherit its
# output; start them here, away from ctest's pipes, or the first test seems never to end.
"$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
