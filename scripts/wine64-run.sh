#!/usr/bin/env bash
# Runs a 64-bit Windows program under wine64 in the project's 64-bit prefix: the emulator of
# the win64 preset, which runs the Windows tests on machines whose kernel runs no 32-bit programs.
export LIRRA_WINE_ARCH=win64
exec "$(cd "$(dirname "$0")" && pwd)/wine-run.sh" "$@"
