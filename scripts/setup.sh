#!/usr/bin/env bash
# Installs everything the project needs from Debian's archive. Safe to run again.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

packages=(
  build-essential cmake ninja-build pkg-config python3 clang clang-format curl
  libgtest-dev libgmock-dev googletest libjsoncpp-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb x11-utils xdotool imagemagick fonts-wqy-microhei
  dpkg-dev locales nsis iproute2
  libsodium-dev autoconf automake libtool openssl
)

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || return 0
  done
  return 1
}

add_deb_src() {
  # Derive source entries from the binary entries already configured; no host is written here.
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    case "$f" in *-src.sources) continue ;; esac
    local dst="${f%.sources}-src.sources"
    [ -e "$dst" ] || sed 's/^Types: deb$/Types: deb-src/' "$f" | $sudo tee "$dst" >/dev/null
  done
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    local dst=/etc/apt/sources.list.d/lirra-src.list
    [ -e "$dst" ] || grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $sudo tee "$dst" >/dev/null
  fi
}

has_source() { [ -n "$(apt-cache showsrc "$1" 2>/dev/null)" ]; }

if missing || ! has_source libjsoncpp || ! has_source libsodium; then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  add_deb_src
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi

# Wine maps Chinese file names and arguments to the host through the glibc locale it runs in.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  $sudo sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

if [ "${1:-}" != "--packages-only" ]; then
  "$here/scripts/build-jsoncpp-mingw.sh" i686
  "$here/scripts/build-jsoncpp-mingw.sh" x86_64
  "$here/scripts/build-libsodium-mingw.sh" i686
  "$here/scripts/build-libsodium-mingw.sh" x86_64
  "$here/scripts/make-demo-key.sh"
fi
