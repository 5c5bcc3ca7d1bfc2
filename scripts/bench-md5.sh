#!/usr/bin/env bash
# Digest throughput of `lirractl md5` against `md5sum` on the same 256 MiB file, runs
# alternating A B A B so drift hits both; prints the medians and the throughput ratio.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs="${1:-7}"
lirractl="$here/build/native/tools/lirractl/lirractl"
[ -x "$lirractl" ] || { cmake --preset native >/dev/null && cmake --build --preset native --target lirractl; }

file=$(mktemp /tmp/lirra-bench-XXXXXX)
trap 'rm -f "$file"' EXIT
head -c $((256 * 1024 * 1024)) /dev/urandom >"$file"

python3 - "$runs" "$lirractl" "$file" <<'PY'
import statistics, subprocess, sys, time
runs, lirractl, path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
cmds = {"lirractl md5": [lirractl, "md5", path], "md5sum": ["md5sum", path]}
out = {name: subprocess.run(c, capture_output=True, text=True, check=True).stdout.split()[0] for name, c in cmds.items()}
assert out["lirractl md5"] == out["md5sum"], out
times = {name: [] for name in cmds}
for _ in range(runs):
    for name, c in cmds.items():
        t = time.perf_counter(); subprocess.run(c, stdout=subprocess.DEVNULL, check=True); times[name].append(time.perf_counter() - t)
mib = 256
for name, ts in times.items():
    print(f"{name:14s} median {statistics.median(ts):.3f} s  ({mib / statistics.median(ts):.0f} MiB/s)")
ratios = [b / a for a, b in zip(times["lirractl md5"], times["md5sum"])]
print(f"throughput ratio lirractl/md5sum: median {statistics.median(ratios):.3f} (min {min(ratios):.3f}, max {max(ratios):.3f})")
PY
