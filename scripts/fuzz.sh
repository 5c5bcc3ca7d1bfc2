#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang with ASan and UBSan) and runs each one
# for the given number of seconds. Any crash, sanitizer report or broken check fails the run.
# usage: scripts/fuzz.sh SECONDS
set -euo pipefail

seconds="${1:?usage: scripts/fuzz.sh SECONDS}"
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=$(find build/fuzz/tests/fuzz -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x | sort)
if [ -z "$targets" ]; then
  echo "fuzz.sh: no fuzz targets were built" >&2
  exit 1
fi

for target in $targets; do
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  args=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 -print_final_stats=1)
  [ -f "tests/fuzz/$name.dict" ] && args+=(-dict="tests/fuzz/$name.dict")
  seeds=()
  [ -d "tests/fuzz/seeds/$name" ] && seeds+=("tests/fuzz/seeds/$name")
  echo "==== $name for ${seconds} s"
  # Crash reproducers land in the build folder, not in the source tree.
  log="build/fuzz/$name.log"
  status=0
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
    "$target" "${args[@]}" -artifact_prefix="build/fuzz/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
  tail -n 25 "$log"
  if [ "$status" -ne 0 ]; then
    echo "fuzz.sh: $name failed (exit $status); full output in $log" >&2
    exit "$status"
  fi
done
echo "fuzz.sh: every target ran ${seconds} s cleanly"
