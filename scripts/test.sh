#!/usr/bin/env bash
# Runs every test: native, native under ASan/UBSan, Windows under Wine (the 32-bit client's
# own roads included), the import check of what we ship, and a short fuzzing run. Installs what
# is missing first. The builds carry no manifest key (scripts/run.sh builds its own, keyed, in
# build/demo): the tests of a keyed client bring their own key.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
fuzz_seconds="${LIRRA_FUZZ_SECONDS:-30}"

step() { printf '\n==== %s (at %d s)\n' "$*" "$SECONDS"; }

step "set-up"
scripts/setup.sh

step "formatting"
git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror

step "floors: no include runs up a floor"
python3 scripts/check_floors.py

step "native"
cmake --preset native -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
cmake --build --preset native
ctest --preset native

step "native with ASan and UBSan"
cmake --preset native-asan -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
cmake --build --preset native-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset native-asan

# The Windows tests run on the 32-bit build we ship where 32-bit Windows programs run natively.
# Where they run only through qemu-i386 (scripts/wine.sh road), the suite runs on the same
# sources built for 64-bit Windows and the 32-bit client takes its own roads (label road32);
# where they can't run at all, the 64-bit build alone, and one line says why.
road=$(scripts/wine.sh road)
if [ "$road" = native ]; then
  step "Windows (MinGW): the shipped 32-bit build, its tests and the XP import check"
  cmake --preset win32 -DLIRRA_TESTS=ON -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
  cmake --build --preset win32
  scripts/check-imports.sh build/win32
  step "Windows tests under Wine: the 32-bit build"
  scripts/with-display.sh scripts/wine.sh session ctest --preset win32
else
  step "Windows (MinGW): the shipped 32-bit build and the XP import check"
  roads=OFF
  [ "$road" = qemu ] && roads=ON
  cmake --preset win32 -DLIRRA_TESTS=$roads -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
  if [ "$road" = qemu ]; then
    cmake --build --preset win32 --target lirra_road32_programs
  else
    cmake --build --preset win32
  fi
  scripts/check-imports.sh build/win32

  step "Windows tests under Wine: the 64-bit build"
  cmake --preset win64 -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
  cmake --build --preset win64
  LIRRA_WINE_ARCH=win64 scripts/with-display.sh scripts/wine.sh session ctest --preset win64

  if [ "$road" = qemu ]; then
    step "the 32-bit client's roads under Wine through qemu-i386"
    started=$SECONDS
    scripts/with-display.sh scripts/wine.sh session ctest --preset road32
    echo "the 32-bit roads took $((SECONDS - started)) s"
  else
    echo "the 32-bit client's roads are not run: 32-bit Windows programs can't run on this machine (above)"
  fi
fi

step "fuzzing, ${fuzz_seconds} s per target"
scripts/fuzz.sh "$fuzz_seconds"

step "all tests passed"
