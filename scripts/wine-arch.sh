#!/usr/bin/env bash
# Prints the Windows build the Wine tests and the demo run use on this machine: "win32" (the
# shipped 32-bit client) when the kernel runs 32-bit programs, as 32-bit Wine needs, or "win64"
# (the same sources built for 64-bit Windows, run by wine64) when its 32-bit emulation is off.
set -euo pipefail
if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1 || [ ! -x /usr/lib/wine/wine64 ]; then
  echo win32
else
  echo win64
fi
