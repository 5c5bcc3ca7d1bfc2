#!/usr/bin/env bash
# The one way into Wine for the tests, the demo run and the end-to-end scripts.
#
#   wine.sh arch                    the build the Windows tests run on here: win32 where 32-bit
#                                   Windows programs run natively, else win64
#   wine.sh road                    how 32-bit Windows programs run here: native, qemu or none
#                                   (with one line on standard error saying why not)
#   wine.sh prefix [--from PRISTINE] [--version VERSION]
#                                   makes the prefix once; --from makes it a fresh copy of
#                                   PRISTINE (itself made once), --version sets its Windows version
#   wine.sh run PROGRAM [ARG...]    runs a Windows program in the prefix (made on first use);
#                                   the presets' emulator: wine.sh PROGRAM [ARG...] means the same
#   wine.sh session COMMAND...      runs COMMAND with one persistent wineserver of the prefix
#   wine.sh stop [--remove]         ends the prefix's wineserver (and removes the prefix)
#   wine.sh kernel-runs-i386        exit status 0 where the kernel runs 32-bit programs itself
#
# The prefix is LIRRA_WINEPREFIX, else build/wine-prefix (win32) or build/wine64-prefix (win64).
# Its kind is LIRRA_WINE_ARCH (win32 or win64), else win64 for a 64-bit program, else win32. A
# 32-bit program in a win64 prefix runs under WOW64, as the client does on most shop PCs. The
# program sees LIRRA_WINDOWS_BITS (32 or 64), the width of the Windows it runs on.
#
# The qemu road: Debian's 32-bit Wine runs where the kernel runs no 32-bit programs when every
# 32-bit Linux program it starts goes through qemu-i386 (QEMU 8 or newer; 7.2 takes minutes per
# process). Each Wine command then runs in a user and mount namespace of its own whose
# binfmt_misc (from Linux 6.7 each user namespace may have one) hands i386 ELF programs to
# qemu-i386; nothing is registered machine-wide. Every process of a prefix that runs 32-bit
# programs must start inside such a namespace: a wineserver or a 64-bit Wine process started
# outside can't start 32-bit children. LIRRA_WINE_ROAD=native|qemu|none overrides the choice
# (qemu takes that road even where the kernel runs 32-bit programs itself).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
self="$here/scripts/wine.sh"
binfmt=/proc/sys/fs/binfmt_misc
entry=lirra-i386
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64

fail() {
  echo "wine.sh: $*" >&2
  exit 1
}

# --- which road -------------------------------------------------------------------------------

inside_road() { [ -e "$binfmt/$entry" ]; }

# An i386 emulator registered machine-wide (where binfmt_misc is visible) is not the kernel.
i386_emulated() {
  local e
  for e in "$binfmt"/*; do
    [ -f "$e" ] && grep -qx enabled "$e" 2>/dev/null && grep -q '^interpreter .*i386' "$e" 2>/dev/null && return 0
  done
  return 1
}

kernel_runs_i386() {
  [ -x /usr/lib/wine/wineserver32 ] && ! i386_emulated && /usr/lib/wine/wineserver32 --version >/dev/null 2>&1
}

qemu_major() { qemu-i386 --version 2>/dev/null | sed -n '1s/.*version \([0-9]*\)\..*/\1/p'; }

# Why the qemu road can't be taken here; nothing when it can.
qemu_road_problem() {
  [ -x "$wine32" ] || { echo "32-bit Wine (wine32:i386) is not installed"; return; }
  local major
  major=$(qemu_major)
  [ -n "$major" ] || { echo "no qemu-i386 (scripts/setup.sh installs qemu-user from backports)"; return; }
  [ "$major" -ge 8 ] || { echo "qemu-i386 is QEMU $major; 32-bit Wine under it needs QEMU 8 or newer"; return; }
  unshare --user --map-root-user --mount --propagation private -- \
    "$self" __inside /usr/lib/wine/wineserver32 --version >/dev/null 2>&1 ||
    echo "no user namespace with a binfmt_misc of its own here (Linux 6.7 or newer, user namespaces allowed)"
}

# pick_road: sets `road` (native, qemu or none) and, for none, `why`.
pick_road() {
  why="LIRRA_WINE_ROAD=none"
  case "${LIRRA_WINE_ROAD:-}" in
    native | none) road=$LIRRA_WINE_ROAD && return ;;
    qemu | "") ;;
    *) fail "LIRRA_WINE_ROAD must be native, qemu or none, not $LIRRA_WINE_ROAD" ;;
  esac
  road=qemu
  inside_road && return
  if [ -z "${LIRRA_WINE_ROAD:-}" ] && kernel_runs_i386; then
    road=native
    return
  fi
  why=$(qemu_road_problem)
  [ -z "$why" ] && return
  road=none
  why="the kernel runs no 32-bit programs and $why"
}

# enter_road: re-runs this command in a namespace of the qemu road; returns where 32-bit
# programs run as they are, or where the prefix runs only 64-bit ones.
enter_road() {
  pick_road
  if [ "$road" = qemu ] && ! inside_road; then
    LIRRA_ROAD_UID=$(id -u) LIRRA_ROAD_GID=$(id -g) \
      exec unshare --user --map-root-user --mount --propagation private -- "$self" __inside "$self" "${arguments[@]}"
  fi
  [ "$road" != none ] || [ "$WINEARCH" = win64 ] || fail "32-bit Windows programs can't run here: $why"
}

# Inside the new namespace: its own binfmt_misc sends i386 ELF programs (executables and shared
# objects) to qemu-i386, opened now (F) so it is found from any mount namespace below.
enter_inside() {
  mount -t binfmt_misc binfmt_misc "$binfmt" || fail "no binfmt_misc of a user namespace's own here"
  local qemu magic mask
  qemu=$(command -v qemu-i386) || fail "no qemu-i386"
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf '%s' ":$entry:M::$magic:$mask:$qemu:F" >"$binfmt/register"
  # Wine names its server folder after the user id: keep the caller's.
  if [ "${LIRRA_ROAD_UID:-0}" != 0 ]; then
    exec unshare --user --map-user="$LIRRA_ROAD_UID" --map-group="${LIRRA_ROAD_GID:-$LIRRA_ROAD_UID}" -- "$@"
  fi
  exec "$@"
}

# --- the prefix -------------------------------------------------------------------------------

is_64bit_program() {
  local at
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$at" ] && [ "$(od -An -tx2 -j$((at + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 8664 ]
}

# choose_prefix [PROGRAM]: the prefix, its kind and the Wine loader for it.
choose_prefix() {
  local arch=${LIRRA_WINE_ARCH:-}
  if [ -z "$arch" ]; then
    arch=win32
    [ -n "${1:-}" ] && [ -f "$1" ] && is_64bit_program "$1" && arch=win64
  fi
  case "$arch" in
    win64)
      export WINEARCH=win64 WINELOADER=$wine64 LIRRA_WINDOWS_BITS=64
      export WINEPREFIX="${LIRRA_WINEPREFIX:-$here/build/wine64-prefix}"
      loader=$wine64
      ;;
    win32)
      export WINEARCH=win32 LIRRA_WINDOWS_BITS=32
      export WINEPREFIX="${LIRRA_WINEPREFIX:-$here/build/wine-prefix}"
      loader=$wine32
      ;;
    *) fail "LIRRA_WINE_ARCH must be win32 or win64, not $arch" ;;
  esac
  export LIRRA_WINE_ARCH=$arch WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono in the prefix; the browser engine (mshtml) stays registered.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=}"
}

# Wine 8 takes the ANSI code page (936, GBK, as on the shop PCs) from LC_ALL; LANG alone gives
# 1252. Set through env so that bash itself does not look for the glibc locale.
wine_in_chinese() { env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$loader" "$@"; }

# Makes WINEPREFIX once: Wine's own set-up, then Chinese fonts mapped to WenQuanYi Micro Hei.
make_prefix() {
  [ -f "$WINEPREFIX/.lirra-ready" ] && return
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.lirra-ready" ] && exit 0
    # A healthy Wine makes a prefix in a minute or two; give up clearly rather than hang the tests.
    wine_in_chinese wineboot -i >/dev/null 2>&1 </dev/null || true
    if ! timeout 900 wineserver -w; then
      wineserver -k 2>/dev/null || true
      fail "Wine did not finish making $WINEPREFIX within 15 minutes"
    fi
    python3 - "$WINEPREFIX/lirra-fonts.reg" <<'PY'
import sys
names = ["微软雅黑", "宋体", "SimSun", "Microsoft YaHei", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Tahoma"]
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
lines += ['"%s"="WenQuanYi Micro Hei"' % n for n in names]
open(sys.argv[1], "w", encoding="utf-16").write("\r\n".join(lines) + "\r\n")
PY
    wine_in_chinese regedit /S "$WINEPREFIX/lirra-fonts.reg" >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$WINEPREFIX/.lirra-ready"
  ) 9>"$WINEPREFIX.lock"
}

# prefix [--from PRISTINE] [--version VERSION]
prefix_command() {
  local pristine="" version=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --from) pristine=$2 && shift 2 ;;
      --version) version=$2 && shift 2 ;;
      *) fail "prefix: unknown argument $1" ;;
    esac
  done
  if [ -n "$pristine" ]; then
    # A fresh prefix per run, so nothing an earlier run left (a registered CardX.ocx, an OMNIKEY
    # folder, registry values) decides its path: Wine's first start takes minutes, a copy seconds.
    local target=$WINEPREFIX
    WINEPREFIX=$pristine make_prefix
    [ -d "$target" ] && { wineserver -k 2>/dev/null || true; }
    rm -rf "$target" "$target.lock"
    mkdir -p "$(dirname "$target")"
    cp -a "$pristine" "$target"
  fi
  make_prefix
  if [ -n "$version" ]; then
    wine_in_chinese winecfg /v "$version" >/dev/null 2>&1 </dev/null || fail "winecfg refused the Windows version $version"
    wineserver -w
  fi
}

session_command() {
  make_prefix
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  # Wine's background services start with the first program of a session and inherit its
  # output; start them here, away from ctest's pipes, or the first test seems never to end.
  wine_in_chinese cmd /c exit >/dev/null 2>&1 </dev/null
  "$@"
}

# --- commands ---------------------------------------------------------------------------------

[ $# -gt 0 ] || fail "usage: wine.sh arch|road|prefix|run|session|stop ..."
arguments=("$@")
command=$1
case "$command" in
  arch | road | prefix | run | session | stop | kernel-runs-i386 | __inside) shift ;;
  *) command=run ;;  # the presets' emulator: wine.sh PROGRAM [ARG...]
esac

case "$command" in
  kernel-runs-i386) kernel_runs_i386 ;;
  road)
    pick_road
    echo "$road"
    [ "$road" != none ] || echo "32-bit Windows programs can't run here: $why" >&2
    ;;
  arch)
    pick_road
    [ "$road" = native ] && echo win32 || echo win64
    ;;
  __inside) enter_inside "$@" ;;
  prefix)
    choose_prefix
    enter_road
    prefix_command "$@"
    ;;
  run)
    [ $# -gt 0 ] || fail "run: no program"
    choose_prefix "$1"
    enter_road
    make_prefix
    exec env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 "$loader" "$@"
    ;;
  session)
    [ $# -gt 0 ] || fail "session: no command"
    choose_prefix
    enter_road
    session_command "$@"
    ;;
  stop)
    choose_prefix
    enter_road
    wineserver -k 2>/dev/null || true
    if [ "${1:-}" = --remove ]; then
      rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
    fi
    ;;
esac
