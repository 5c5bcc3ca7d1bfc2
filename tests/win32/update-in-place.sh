#!/usr/bin/env bash
# The update in place under Wine: packs the keyed client of this build (our setup package, as a
# shop installs it) and three setups offered as its update: the same sources at the next version,
# signed with the test key; that setup tampered with after signing, and signed with another key;
# and a signed setup of an older version. Serves them beside the demo data (its manifest signed
# with the test key) on the client's built-in loopback host, in a network of its own, and runs
# update_in_place_test.exe in one fresh Wine prefix.
#   update-in-place.sh TEST_EXE KEYED_CLIENT NEXT_CLIENT NEXT_VERSION CARDX_OCX INSTALLERS_DIR PLATFORM_HOST
#                      BUILD_DIR TEST_SEED
set -euo pipefail

test_exe=$1 keyed=$2 next=$3 next_version=$4 cardx=$5 installers=$6 host=$7 build=$8 seed=$9
here=$(cd "$(dirname "$0")/../.." && pwd)
wine="$here/scripts/wine.sh"
work="$(dirname "$test_exe")/update-in-place"

source "$here/tests/win32/shop-server.sh"
own_network "$@"
shop_port "$host"

export LIRRA_WINEPREFIX="$work/prefix"
"$wine" prefix --from "$(dirname "$test_exe")/pristine-win32"
rm -rf "$work/package" "$work/data" "$work/keys" "$work/report.xml"
mkdir -p "$work/keys"

version=$(cat "$build/lirra-version.txt")
IFS=. read -r major minor patch tweak <<<"$version"
[ "$tweak" -gt 0 ] || { echo "no older version below $version to offer" >&2; exit 1; }
older_version="$major.$minor.$patch.$((tweak - 1))"

pack() {  # CLIENT VERSION: prints the setup package's path
  LIRRA_BUILD_DIR="$build" LIRRA_PACKAGE_DIR="$work/package" LIRRA_PACKAGE_CLIENT="$1" LIRRA_PACKAGE_VERSION="$2" \
    "$here/scripts/package.sh" "$cardx" | tail -n 1
}
base=$(pack "$keyed" "$version")
next_setup=$(pack "$next" "$next_version")
older_setup=$(pack "$keyed" "$older_version")

# The test key as PKCS#8 (its fixed prefix, then the 32-byte seed), and a key of nobody's.
key="$work/keys/test.pem" other="$work/keys/other.pem"
{ printf '\x30\x2e\x02\x01\x00\x30\x05\x06\x03\x2b\x65\x70\x04\x22\x04\x20'; base64 -d <<<"$seed"; } |
  openssl pkey -inform DER -out "$key"
openssl genpkey -algorithm ed25519 -out "$other" 2>/dev/null
sign() {  # FILE KEY [SIGNED_FILE]: FILE.sig, the signature of SIGNED_FILE (default FILE)
  openssl pkeyutl -sign -rawin -inkey "$2" -in "${3:-$1}" | base64 -w0 >"$1.sig"
  echo >>"$1.sig"
}

LIRRA_DEMO_HOST="$host" LIRRA_DEMO_VERSION="$version" LIRRA_DEMO_SIGNING_KEY="$key" \
  "$here/tools/shop-server/make-demo-data.sh" "$work/data" "$installers" >/dev/null
updates="$work/data/updates"
mkdir -p "$updates"
cp "$next_setup" "$updates/next.exe"
sign "$updates/next.exe" "$key"
cp "$next_setup" "$updates/tampered.exe"
python3 - "$updates/tampered.exe" <<'PY'
import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(f.seek(0, 2) // 2)
    byte = f.read(1)
    f.seek(-1, 1)
    f.write(bytes([byte[0] ^ 0xFF]))
PY
sign "$updates/tampered.exe" "$key" "$updates/next.exe"
cp "$next_setup" "$updates/wrongkey.exe"
sign "$updates/wrongkey.exe" "$other"
cp "$older_setup" "$updates/older.exe"
sign "$updates/older.exe" "$key"

start_shop_server "$work/data" "$port" "$work/server.log"
trap stop_shop_server EXIT

export LIRRA_SETUP_EXE="$base" LIRRA_SETUP_VERSION="$version" LIRRA_NEXT_VERSION="$next_version"
export LIRRA_SHOP_DATA="$work/data" LIRRA_SHOP_HOST="$host"
"$wine" session "$here/scripts/with-display.sh" "$wine" run "$test_exe" "$(test_report "$work/report.xml")"
expect_tests_passed "$work/report.xml"
"$wine" stop --remove
