# Sourced by the scripts: the build folder of each target, and its
# configuration, given in full every time so that a folder builds the same
# whichever script configured it last.
# Targets: linux (Linux x86-64), i686 and x86_64 (32-bit and 64-bit Windows).

build_dir() {
  local root
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  case "$1" in
    linux) echo "$root/build" ;;
    i686) echo "$root/build-win" ;;
    x86_64) echo "$root/build-win64" ;;
    *) echo "builds: unknown target '$1' (linux, i686 or x86_64)" >&2; return 2 ;;
  esac
}

# configure_build TARGET: configures the target's folder; CMake's output is
# kept in the folder's configure.log and shown only when it fails.
configure_build() {
  local root dir
  root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  dir="$(build_dir "$1")" || return
  local options=(-DCMAKE_BUILD_TYPE=Release -DQUORLIN_TESTS=ON -DQUORLIN_SANITIZE=OFF -DQUORLIN_FUZZ=OFF)
  [ "$1" = linux ] || options+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake")
  mkdir -p "$dir"
  if ! cmake -S "$root" -B "$dir" "${options[@]}" >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log" >&2
    echo "builds: configuring $dir failed" >&2
    return 1
  fi
}

# build_targets TARGET CMAKE_TARGET...: configures the folder and builds those.
build_targets() {
  local target=$1
  shift
  configure_build "$target" && cmake --build "$(build_dir "$target")" -j"$(nproc 2>/dev/null || echo 2)" --target "$@"
}
