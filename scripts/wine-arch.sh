#!/usr/bin/env bash
# Prints the Windows build the Wine tests and the demo run use on this machine: "win32" (the
# shipped 32-bit client) when the kernel itself runs 32-bit programs, as 32-bit Wine needs, or
# "win64" (the same sources built for 64-bit Windows, run by wine64) when its 32-bit emulation
# is off. A user-mode emulator registered for 32-bit programs (qemu-i386 via binfmt_misc) does
# not count: Wine under it takes an hour to start, so it is treated as "no 32-bit".
set -euo pipefail

emulated_i386() {
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$entry" ] || continue
    grep -qx enabled "$entry" 2>/dev/null || continue
    grep -q '^interpreter .*i386' "$entry" 2>/dev/null && return 0
  done
  return 1
}

if [ ! -x /usr/lib/wine/wine64 ]; then
  echo win32
elif ! emulated_i386 && /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
  echo win32
else
  echo win64
fi
