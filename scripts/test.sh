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

step "native"
cmake --preset native -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
cmake --build --preset native
ctest --preset native

step "native with ASan and UBSan"
cmake --preset native-asan -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
cmake --build --preset native-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset native-asan

step "Windows (MinGW) under Wine"
cmake --preset win32 -DLIRRA_MANIFEST_PUBLIC_KEY= >/dev/null
cmake --build --preset win32
scripts/check-imports.sh build/win32
scripts/with-display.sh scripts/wine-session.sh ctest --preset win32

if [ -x scripts/fuzz.sh ]; then
  step "fuzzing, ${fuzz_seconds} s per target"
  scripts/fuzz.sh "$fuzz_seconds"
fi

step "all tests passed"
