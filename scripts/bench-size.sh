#!/usr/bin/env bash
# Size of the release client and of its setup package against the floor for a shell of this
# kind: a bare Win32 program hosting the WebBrowser control (tools/bench), built with the same
# toolchain, flags and stripping, and the client's bytes by origin (our code, libstdc++, jsoncpp,
# libsodium, the MinGW runtime) from its link map. Targets: the client at most 1.25 MiB and
# within 3 times the bare host.
#   scripts/bench-size.sh [CARDX_OCX]
# Uses the configured release build (build/release, or LIRRA_BUILD_DIR); without one it makes a
# demo release build in build/bench-release (same flags, loopback hosts).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${LIRRA_BUILD_DIR:-$here/build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  build="$here/build/bench-release"
  (cd "$here" && cmake --preset release -B "$build" -DLIRRA_DEMO=ON >/dev/null)
fi
cmake --build "$build" --target lirra bare_browser_host lirra_fixture_cardx -j2 >/dev/null
cardx=${1:-$build/tools/fixtures/CardX.ocx}
package=$(LIRRA_BUILD_DIR="$build" LIRRA_PACKAGE_DIR="$build/bench-package" "$here/scripts/package.sh" "$cardx" | tail -n 1)

python3 - "$build/src/app/lirra.exe" "$build/tools/bench/bare_browser_host.exe" "$package" <<'PY'
import os, sys
client, bare, package = (os.path.getsize(p) for p in sys.argv[1:4])
mib = 1024 * 1024
def line(name, size):
    print(f"{name:34s} {size:>10,d} bytes  {size / mib:6.2f} MiB")
line("lirra.exe (release, stripped)", client)
line("bare WebBrowser host (same flags)", bare)
line("setup package", package)
print(f"ratio client / bare host:          {client / bare:6.2f}  (target at most 3)")
print(f"ratio setup package / bare host:   {package / bare:6.2f}")
print(f"client within 1.25 MiB:            {'yes' if client <= 1.25 * mib else 'NO'}")
PY
echo "lirra.exe by origin (from its link map):"
python3 "$here/scripts/size_by_origin.py" "$build/src/app/lirra.exe.map" "$build/src/app/lirra.exe"
