#!/usr/bin/env bash
# Cross-builds a Windows target (32-bit: i686, 64-bit: x86_64) with mingw-w64
# and runs its tests under Wine, in the build folder's own Wine prefix and on
# an X server of its own. Safe to run again: it reuses the build and the prefix.
# Usage: scripts/test-windows.sh [i686|x86_64]   (default i686; folders: build-win, build-win64)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:-i686}"
# shellcheck source=scripts/builds.sh
source "$root/scripts/builds.sh"
# shellcheck source=scripts/wine-prefix.sh
source "$root/scripts/wine-prefix.sh"
# shellcheck source=scripts/private-x-server.sh
source "$root/scripts/private-x-server.sh"
# shellcheck source=scripts/tally.sh
source "$root/scripts/tally.sh"
case "$target" in
  i686 | x86_64) build="$(build_dir "$target")" ;;
  *) echo "usage: scripts/test-windows.sh [i686|x86_64]" >&2; exit 2 ;;
esac
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

run_quietly configure_build "$target"
run_quietly cmake --build "$build" -j2
run_quietly use_build_wine "$build"

trap 'wineserver -k 2>/dev/null || true; stop_private_x_server' EXIT
start_private_x_server "$build/x-server"
# One Wine server for the whole run, with Wine's own background processes
# started here, outside ctest's output pipes: a test whose pipes they inherited
# would wait for them to exit, seconds per test.
wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true
tally_ctest "Windows $target tests under Wine" "$build" --timeout 600
