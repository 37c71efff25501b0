#!/usr/bin/env bash
# Cross-builds the 32-bit Windows module and its tests with mingw-w64, then runs
# the tests under Wine. The Wine prefix lives inside the build folder, never in
# the home folder. Safe to run again: it reuses the build and the prefix.
# Usage: scripts/test-windows.sh [BUILD_DIR]     (default: build-win)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-win}")"
log="$build/test-windows.log"

"$root/scripts/install-deps.sh" build windows editor
mkdir -p "$build"
: >"$log"

run_quietly() {
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "test-windows: '$*' failed; full log in $log" >&2
    exit 1
  fi
}

run_quietly cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release
run_quietly cmake --build "$build" -j2

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko: the tests need neither, and there is no network to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  run_quietly wineboot -i
  run_quietly wineserver -w
fi

run_tests() {
  # One Wine server for the whole run, with Wine's own background processes
  # started here, outside ctest's output pipes: a test whose pipes they
  # inherited would wait for them to exit, seconds per test.
  wineserver -p
  trap 'wineserver -k 2>/dev/null || true' EXIT
  wine cmd /c exit >/dev/null 2>&1 || true
  cd "$build"
  ctest --output-on-failure --timeout 600
}

# Tests that open windows need an X server behind Wine; lend them a virtual one.
if [ -z "${DISPLAY:-}" ]; then
  export build
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f run_tests); run_tests"
else
  run_tests
fi
