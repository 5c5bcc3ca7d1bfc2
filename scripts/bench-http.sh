#!/usr/bin/env bash
# Download throughput of `lirractl http get URL -o FILE` against `curl -o` for the same
# 256 MiB file from the bundled shop server on loopback, runs alternating A B A B so drift
# hits both; prints the medians and the throughput ratio (target: at least 0.9).
# usage: scripts/bench-http.sh [RUNS]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
runs="${1:-7}"
lirractl="$here/build/native/tools/lirractl/lirractl"
[ -x "$lirractl" ] || { cmake --preset native >/dev/null && cmake --build --preset native --target lirractl; }
command -v curl >/dev/null || { echo "bench-http.sh: curl is needed as the peer" >&2; exit 1; }

work=$(mktemp -d /tmp/lirra-bench-http-XXXXXX)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/data"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$work/data/big.bin"

python3 "$here/tools/shop-server/shop_server.py" --root "$work/data" --port 0 >"$work/address" 2>"$work/server.log" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/address" ] && break; sleep 0.05; done
base=$(sed -n 's#^listening on \(http://[^ ]*\)/$#\1#p' "$work/address")
[ -n "$base" ] || { echo "bench-http.sh: the shop server did not start" >&2; exit 1; }

python3 - "$runs" "$lirractl" "$base/big.bin" "$work" <<'PY'
import hashlib, os, statistics, subprocess, sys, time
runs, lirractl, url, work = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
out = os.path.join(work, "out.bin")
cmds = {"lirractl http": [lirractl, "http", "get", url, "-o", out],
        "curl": ["curl", "-s", "-S", "-f", "-o", out, url]}

def md5(path):
    h = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()

want = md5(os.path.join(work, "data", "big.bin"))
for name, c in cmds.items():  # warm-up, and both must deliver the file whole
    subprocess.run(c, check=True, stderr=subprocess.DEVNULL)
    assert md5(out) == want, name
times = {name: [] for name in cmds}
for _ in range(runs):
    for name, c in cmds.items():
        t = time.perf_counter()
        subprocess.run(c, check=True, stderr=subprocess.DEVNULL)
        times[name].append(time.perf_counter() - t)
        os.remove(out)
mib = 256
for name, ts in times.items():
    print(f"{name:14s} median {statistics.median(ts):.3f} s  ({mib / statistics.median(ts):.0f} MiB/s)")
ratios = [b / a for a, b in zip(times["lirractl http"], times["curl"])]
print(f"throughput ratio lirractl/curl: median {statistics.median(ratios):.3f} (min {min(ratios):.3f}, max {max(ratios):.3f})")
PY
