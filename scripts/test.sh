#!/usr/bin/env bash
# Runs every test: native, native under ASan/UBSan, Windows under Wine, the import check
# of what we ship, and a short fuzzing run. Installs what is missing first. The builds carry no
# manifest key (scripts/run.sh may have set the demo's): the tests of a keyed client bring their
# own key.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
fuzz_seconds="${LIRRA_FUZZ_SECONDS:-30}"

step() { printf '\n==== %s\n' "$*"; }

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

step "Windows (MinGW): the shipped 32-bit build and the XP import check"
# The Wine tests run the 32-bit build where this machine runs 32-bit programs, else the same
# sources built for 64-bit Windows under wine64 (scripts/wine-arch.sh says which, and why).
wine_arch=$(scripts/wine-arch.sh)
tests_in_win32=OFF
[ "$wine_arch" = win32 ] && tests_in_win32=ON
cmake --preset win32 -DLIRRA_TESTS=$tests_in_win32 -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
cmake --build --preset win32
scripts/check-imports.sh build/win32

if [ "$wine_arch" = win64 ]; then
  step "Windows tests under Wine: 64-bit build (this kernel runs no 32-bit programs, which 32-bit Wine needs)"
  cmake --preset win64 -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
  cmake --build --preset win64
else
  step "Windows tests under Wine: the 32-bit build"
fi
LIRRA_WINE_ARCH=$wine_arch scripts/with-display.sh scripts/wine-session.sh ctest --preset "$wine_arch"

step "fuzzing, ${fuzz_seconds} s per target"
scripts/fuzz.sh "$fuzz_seconds"

step "all tests passed"
