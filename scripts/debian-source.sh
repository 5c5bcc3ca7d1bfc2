# Sourced by the scripts that cross-build a library for Windows from Debian's source package.

# deps_prefix NAME ARCH: sets `prefix`, where the library for that architecture is installed
# (build/deps/NAME-mingw for i686, the shipped client's; NAME-mingw64 for x86_64, the test build's).
deps_prefix() {
  case "$2" in
    i686) prefix="$here/build/deps/$1-mingw" ;;
    x86_64) prefix="$here/build/deps/$1-mingw64" ;;
    *) echo "$(basename "$0"): unknown architecture $2" >&2; exit 2 ;;
  esac
}

# unpack_debian_source PACKAGE WORK: fetches PACKAGE's Debian source into the fresh folder WORK
# and unpacks it into WORK/src.
unpack_debian_source() {
  local package=$1 work=$2
  rm -rf "$work"
  mkdir -p "$work"
  (cd "$work" && apt-get source --download-only "$package" >/dev/null 2>&1 || apt-get source --download-only "$package")
  local dsc
  dsc=$(ls "$work"/*.dsc | head -n 1)
  (cd "$work" && dpkg-source --no-check -x "$(basename "$dsc")" src >/dev/null)
}
