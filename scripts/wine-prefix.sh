#!/usr/bin/env bash
# Wine for one Windows build folder: its own prefix, BUILD/wineprefix, never
# the user's ~/.wine. A new prefix is made 64-bit, which runs the 32-bit and
# the 64-bit builds alike. Quiet, and without Mono or Gecko: nothing here needs
# them, and there may be no network to fetch them.
#
# Sourced: `use_build_wine BUILD` exports the settings and makes the prefix.
# Run:     scripts/wine-prefix.sh BUILD PROGRAM [ARGS...] runs PROGRAM under
#          Wine in that prefix; ctest starts every Windows test program so.

use_build_wine() {
  local build=$1
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Marked complete only once wineboot has finished: a run stopped while it
  # worked (Ctrl-C, a time limit) leaves a prefix without the mark, which the
  # next run makes anew instead of trusting.
  local complete="$WINEPREFIX/.quorlin-prefix-complete"
  [ -f "$complete" ] && return 0
  mkdir -p "$build"
  # Tests started in parallel would otherwise each begin the same prefix.
  if ! (
    flock 9
    [ -f "$complete" ] && exit 0
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k
      rm -rf "$WINEPREFIX"
    fi
    WINEARCH=win64 wineboot -i && wineserver -w && touch "$complete"
  ) 9>"$build/wineprefix.lock" >"$build/wineboot.log" 2>&1; then
    echo "wine-prefix: making the Wine prefix $WINEPREFIX failed; see $build/wineboot.log" >&2
    return 1
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  if [ $# -lt 2 ]; then
    echo "usage: scripts/wine-prefix.sh BUILD_DIR PROGRAM [ARGS...]" >&2
    exit 2
  fi
  build=$(realpath -m "$1")
  shift
  use_build_wine "$build"
  exec wine "$@"
fi
