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

# deps_recipe FILES...: sets `recipe`, the SHA-256 of the files that say how the library is built
# (the build script with its flags, a patch). A prefix stamped with another recipe was built
# another way and is built again; CMake's configure step compares the same digest
# (cmake/cross_deps.cmake).
deps_recipe() {
  recipe=$(cat "$@" | sha256sum | cut -d ' ' -f 1)
}

# deps_lock: one build of a prefix at a time (two presets may configure at once); held until the
# script ends.
deps_lock() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
}

# deps_current LIBRARY_FILE: whether the prefix holds the library built by this recipe.
deps_current() {
  [ -f "$1" ] && [ "$(cat "$prefix/lirra-recipe" 2>/dev/null)" = "$recipe" ]
}

# deps_stamp: records the recipe the prefix was just built by.
deps_stamp() {
  echo "$recipe" >"$prefix/lirra-recipe"
}

# unpack_debian_source PACKAGE WORK: fetches PACKAGE's Debian source into WORK (files already
# there are checked and kept, so a rebuild needs no network) and unpacks it afresh into WORK/src.
unpack_debian_source() {
  local package=$1 work=$2
  mkdir -p "$work"
  rm -rf "$work/src" "$work/build"
  (cd "$work" && apt-get source --download-only "$package" >/dev/null 2>&1 || apt-get source --download-only "$package")
  local dsc
  dsc=$(ls "$work"/*.dsc | sort -V | tail -n 1)  # the newest, should an older one be kept
  (cd "$work" && dpkg-source --no-check -x "$(basename "$dsc")" src >/dev/null)
}
