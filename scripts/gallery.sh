#!/usr/bin/env bash
# Captures every window of the client under Wine into build/gallery/, to look at before and
# after a change to the skin or a layout:
#   build/gallery/96, 120, 144   each window at that screen resolution (the DPI test, which also
#                                checks that no specified text is clipped)
#   build/gallery/states         the windows in their states at 96 DPI: a driver manager run with
#                                installed and selected vendors, the wait line, the questions,
#                                the About box, the browser window and its pop-up
# Builds what it needs in the win32 build tree; a window test that fails is named at the end,
# and its screenshots are kept all the same.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
build=build/win32
gallery=build/gallery
shots=$build/tests/win32/screenshots
tests=(dpi_windows_test driver_windows_test ui_windows_test browser_window_test)

[ -f "$build/CMakeCache.txt" ] || cmake --preset win32 >/dev/null
cmake --build --preset win32 --target "${tests[@]}"

rm -rf "$shots" "$gallery"
regex="^($(IFS='|'; echo "${tests[*]}"))"
status=0
scripts/with-display.sh scripts/wine.sh session ctest --preset win32 -R "$regex" --output-on-failure || status=$?

mkdir -p "$gallery/states"
for dpi in 96 120 144; do
  mkdir -p "$gallery/$dpi"
  for shot in "$shots"/dpi"$dpi"-*.png; do
    [ -e "$shot" ] && mv "$shot" "$gallery/$dpi/${shot##*/dpi$dpi-}"
  done
done
for shot in "$shots"/*.png; do
  [ -e "$shot" ] && mv "$shot" "$gallery/states/"
done
echo "gallery: $(find "$gallery" -name '*.png' | wc -l) screenshots in $gallery"
[ "$status" -eq 0 ] || echo "some window tests failed (ctest status $status); their screenshots are in the gallery as they were taken" >&2
exit "$status"
