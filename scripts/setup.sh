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

# 32-bit Wine where the kernel runs no 32-bit programs: qemu-i386 from the backports suite
# (the release's own QEMU 7.2 takes minutes per Wine process). scripts/wine.sh registers it in
# a private binfmt_misc of each run's own; nothing is registered machine-wide.
backports_entry() {
  # A deb822 entry for CODENAME-backports, component main, with the archive address and keyring
  # of the configured entry for CODENAME itself.
  local codename=$1 f entry
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    entry=$(awk -v suite="$codename" '
      function flush() {
        if (!done && deb && ours && uri != "") {
          done = 1
          printf "Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n", uri, suite
          if (key != "") printf "Signed-By: %s\n", key
          exit
        }
        deb = ours = 0; uri = key = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      tolower($1) == "types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
      tolower($1) == "uris:" { uri = $2 }
      tolower($1) == "suites:" { for (i = 2; i <= NF; i++) if ($i == suite) ours = 1 }
      tolower($1) == "signed-by:" { key = $2 }
      END { flush() }' "$f")
    [ -n "$entry" ] && { echo "$entry"; return; }
  done
  [ -f /etc/apt/sources.list ] || return 0
  # One-line form: deb [options] URI SUITE COMPONENTS...
  awk -v suite="$codename" '$1 == "deb" {
      n = 2; opts = ""
      if ($2 ~ /^\[/) { while (n < NF && $n !~ /\]$/) { opts = opts " " $n; n++ } opts = opts " " $n; n++ }
      if ($(n + 1) != suite) next
      printf "Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n", $n, suite
      if (match(opts, /signed-by=[^] ]+/)) printf "Signed-By: %s\n", substr(opts, RSTART + 10, RLENGTH - 10)
      exit
    }' /etc/apt/sources.list
}

add_backports() {
  local codename=$1 dst=/etc/apt/sources.list.d/lirra-backports.sources entry
  [ -e "$dst" ] && return
  entry=$(backports_entry "$codename")
  [ -n "$entry" ] || { echo "setup: no $codename archive entry to derive $codename-backports from" >&2; return 1; }
  echo "$entry" | $sudo tee "$dst" >/dev/null
}

needs_qemu_i386() {
  # LIRRA_WINE_ROAD=qemu takes the road even where the kernel runs 32-bit programs itself.
  [ "${LIRRA_WINE_ROAD:-}" = qemu ] || ! "$here/scripts/wine.sh" kernel-runs-i386 || return 1
  local major
  major=$(qemu-i386 --version 2>/dev/null | sed -n '1s/.*version \([0-9]*\)\..*/\1/p')
  [ "${major:-0}" -lt 8 ]
}

if needs_qemu_i386; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  add_backports "$codename"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends -t "$codename-backports" qemu-user
fi

if [ "${1:-}" != "--packages-only" ]; then
  "$here/scripts/build-jsoncpp-mingw.sh" i686
  "$here/scripts/build-jsoncpp-mingw.sh" x86_64
  "$here/scripts/build-libsodium-mingw.sh" i686
  "$here/scripts/build-libsodium-mingw.sh" x86_64
  "$here/scripts/make-demo-key.sh"
fi
