#!/usr/bin/env bash
# The release preset as a shop's build meets it, configure only (nothing is built): it refuses
# the demo's loopback hosts and an empty one with a message that names them and the way out,
# and takes real hosts, or loopback ones in a demo build.
#   release-preset.sh SOURCE_DIR
set -uo pipefail

src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
real=(-DLIRRA_PLATFORM_HOST=shop.example.com -DLIRRA_DOWNLOAD_HOST=dl.example.com:8080
  -DLIRRA_PRIMARY_DOMAIN=shop.example.com -DLIRRA_PAYMENT_DOMAIN=pay.example.com
  -DLIRRA_SUPPORT_HOST=support.example.com)

# configure NAME EXPECT(refused|taken) [-D...]: one configure into a folder of its own.
configure() {
  local name=$1 expect=$2
  shift 2
  local log="$work/$name.log"
  (cd "$src" && cmake --preset release -B "$work/$name" "$@") >"$log" 2>&1
  local rc=$?
  if [ "$expect" = refused ] && [ $rc -eq 0 ]; then
    echo "FAIL $name: configured, but should have been refused"
    failures=$((failures + 1))
  elif [ "$expect" = taken ] && [ $rc -ne 0 ]; then
    echo "FAIL $name: refused, but should have configured"
    sed 's/^/  | /' "$log"
    failures=$((failures + 1))
  fi
}

# expect_in NAME TEXT: the configure's output says TEXT.
expect_in() {
  if ! grep -qF -- "$2" "$work/$1.log"; then
    echo "FAIL $1: the output does not say: $2"
    sed 's/^/  | /' "$work/$1.log"
    failures=$((failures + 1))
  fi
}

configure loopback_defaults refused
for name in LIRRA_PLATFORM_HOST LIRRA_DOWNLOAD_HOST LIRRA_PRIMARY_DOMAIN LIRRA_SUPPORT_HOST; do
  expect_in loopback_defaults "$name is a loopback address"
done
expect_in loopback_defaults "-DLIRRA_DEMO=ON"

configure one_empty refused "${real[@]}" -DLIRRA_PAYMENT_DOMAIN=
expect_in one_empty "LIRRA_PAYMENT_DOMAIN is empty"

configure one_localhost refused "${real[@]}" -DLIRRA_SUPPORT_HOST=localhost:8080
expect_in one_localhost "LIRRA_SUPPORT_HOST is a loopback address"

configure real_hosts taken "${real[@]}"
if [ -f "$work/real_hosts/CMakeCache.txt" ]; then
  grep -q '^CMAKE_BUILD_TYPE:STRING=MinSizeRel' "$work/real_hosts/CMakeCache.txt" ||
    { echo "FAIL real_hosts: not optimised for size"; failures=$((failures + 1)); }
  version=$(sed -n 's/^project(lirra VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
  [ "$(cat "$work/real_hosts/lirra-version.txt")" = "$version" ] ||
    { echo "FAIL real_hosts: lirra-version.txt is not project(VERSION) $version"; failures=$((failures + 1)); }
  grep -qF "#define LIRRA_VERSION_COMMAS ${version//./,}" "$work/real_hosts/generated/lirra_version.h" ||
    { echo "FAIL real_hosts: lirra_version.h does not carry $version"; failures=$((failures + 1)); }
fi

configure demo taken -DLIRRA_DEMO=ON

# The fault on request (LIRRA_CRASH_TEST=1) is compiled into debug and test builds only: the
# release's loading window is built without it, and a test build's with it.
crash_switch() { grep -A3 "loading\.cpp\.obj:" "$work/$1/build.ninja" 2>/dev/null | grep -c LIRRA_CRASH_TEST_SWITCH; }
for name in real_hosts demo; do
  if ! grep -q "loading\.cpp\.obj:" "$work/$name/build.ninja" 2>/dev/null; then
    echo "FAIL $name: no build rule for the loading window"
    failures=$((failures + 1))
  elif [ "$(crash_switch $name)" != 0 ]; then
    echo "FAIL $name: the release build faults on request"
    failures=$((failures + 1))
  fi
done
configure test_build taken "${real[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIRRA_RELEASE=OFF
[ "$(crash_switch test_build)" = 1 ] ||
  { echo "FAIL test_build: a test build does not fault on request"; failures=$((failures + 1)); }

echo "release preset: $failures failed"
[ $failures -eq 0 ]
