#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (made on first use): 32-bit, or
# 64-bit when LIRRA_WINE_ARCH=win64 (scripts/wine64-run.sh).
# CMake uses it as the cross-compiling emulator, so ctest runs the Windows tests through it.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine 8 takes the ANSI code page (936, GBK, as on the shop PCs) from LC_ALL; LANG alone gives 1252.
# Set through env so that bash itself does not look for the glibc locale.
wine_env=(env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)
# No Mono in the prefix; the browser engine (mshtml) stays registered.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=}"

"$here/scripts/wine-prefix.sh"
exec "${wine_env[@]}" "$LIRRA_WINE" "$@"
