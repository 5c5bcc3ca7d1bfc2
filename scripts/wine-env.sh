# Sourced by the Wine scripts: the prefix, its architecture and the Wine loader to use.
# LIRRA_WINE_ARCH=win64 selects the 64-bit prefix and wine64 itself: Debian's `wine` starts the
# 32-bit loader first, which a kernel without 32-bit emulation can't run.
if [ "${LIRRA_WINE_ARCH:-win32}" = win64 ]; then
  export WINEARCH=win64
  export WINEPREFIX="${LIRRA_WINEPREFIX:-$here/build/wine64-prefix}"
  export WINELOADER=/usr/lib/wine/wine64
  LIRRA_WINE=/usr/lib/wine/wine64
else
  export WINEARCH=win32
  export WINEPREFIX="${LIRRA_WINEPREFIX:-$here/build/wine-prefix}"
  LIRRA_WINE=wine
fi
