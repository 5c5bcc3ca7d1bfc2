# Sourced by the Windows end-to-end scripts: a fresh Wine prefix for one run, so that nothing an
# earlier run left (a registered CardX.ocx, an OMNIKEY folder, registry values) decides its path.
# The copy comes from a pristine prefix made once per build tree beside the tests: Wine's first
# start takes minutes, a copy seconds.
#   fresh_prefix TESTS_DIR TARGET   makes TARGET and exports WINEPREFIX and LIRRA_WINEPREFIX
fresh_prefix() {
  local template="$1/pristine-prefix" target=$2
  LIRRA_WINEPREFIX="$template" "$here/scripts/wine-prefix.sh"
  [ -d "$target" ] && { WINEPREFIX="$target" wineserver -k 2>/dev/null || true; }
  rm -rf "$target"
  mkdir -p "$(dirname "$target")"
  cp -a "$template" "$target"
  export WINEPREFIX="$target" LIRRA_WINEPREFIX="$target"
}

# start_wine_session: keeps the prefix's wineserver up for the run and starts Wine's background
# services, which inherit the first program's output, away from ctest's pipes.
start_wine_session() {
  wineserver -p
  "$here/scripts/wine-run.sh" cmd /c exit >/dev/null 2>&1 </dev/null
}
