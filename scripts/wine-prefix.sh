#!/usr/bin/env bash
# Makes the project's Wine prefix once (32-bit, or 64-bit for LIRRA_WINE_ARCH=win64), Chinese fonts
# mapped to WenQuanYi Micro Hei.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine 8 takes the ANSI code page (936, GBK, as on the shop PCs) from LC_ALL; LANG alone gives 1252.
# Set through env so that bash itself does not look for the glibc locale.
wine_env=(env LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8)
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=}"

[ -f "$WINEPREFIX/.lirra-ready" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.lirra-ready" ] && exit 0

"${wine_env[@]}" "$LIRRA_WINE" wineboot -i >/dev/null 2>&1 || true
wineserver -w
python3 - "$WINEPREFIX/lirra-fonts.reg" <<'PY'
import sys
names = ["微软雅黑", "宋体", "SimSun", "Microsoft YaHei", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Tahoma"]
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
lines += ['"%s"="WenQuanYi Micro Hei"' % n for n in names]
open(sys.argv[1], "w", encoding="utf-16").write("\r\n".join(lines) + "\r\n")
PY
"${wine_env[@]}" "$LIRRA_WINE" regedit /S "$WINEPREFIX/lirra-fonts.reg" >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.lirra-ready"
