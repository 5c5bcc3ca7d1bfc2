#!/usr/bin/env bash
# Fails when a shipped Windows executable needs more than Windows XP offers: a DLL that is
# not Windows' own, a subsystem version above 5.1, or a function XP's DLLs lack.
set -euo pipefail

build="${1:-build/win32}"
here=$(cd "$(dirname "$0")/.." && pwd)
python3 "$here/scripts/check_imports.py" "$build"
