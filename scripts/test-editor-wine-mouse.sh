#!/usr/bin/env bash
# Mouse editing in the Windows build's editor under Wine, with real X pointer
# events (XTest) as a user's mouse gives them.
#
# What it proves: quorlin-host.exe opens quorlin.dll's editor in a Win32
# window; a drag of knob 5 (decay time, from 0 degrees) sixty pixels to the
# left and the release reach the editor's window procedure through Wine, and
# the plug-in then holds 0.2496 for parameter 3 and 0.9984 times its value for
# every other parameter, as on Linux (editor_window_tests). The values are
# read back with `quorlin-host editor --print-parameters` once the window is
# closed as a user closes it.
# Wine 8.0 keeps the editor's OpenGL pixels off screen (see
# test-editor-wine.sh), but routes pointer input on the host's top-level X
# window to its child windows by Win32 hit-testing, so the editor gets it.
#
# Runs on a private Xvfb with the Wine prefix of the Windows build folder;
# stops that X server and the prefix's wineserver on exit.
# Usage: scripts/test-editor-wine-mouse.sh [i686|x86_64]   (the Windows target; default i686)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:-i686}"
# Knob 5's hotspot in the 300x200 editor, and the drag: the editor turns a knob
# one degree per pixel.
readonly knob_x=149 knob_y=135 drag_x=-60
# Every parameter set, each to a value of its own; decay time (parameter 3, knob 5)
# at 0.5, which is 0 degrees.
readonly settings=(0=0.15 1=0.05 2=0.8 3=0.5 4=0.6 5=0.3 6=0.7 7=0.35)

check=test-editor-wine-mouse
# shellcheck source=scripts/wine-editor-session.sh
source "$root/scripts/wine-editor-session.sh"
start_wine_editor_session editor-wine-mouse wine_editor_grab

arguments=()
for setting in "${settings[@]}"; do arguments+=(--param "$setting"); done
wine "$windows/quorlin-host.exe" editor --plugin "$windows/quorlin.dll" "${arguments[@]}" --print-parameters \
  >"$work/parameters.txt" 2>"$work/host.log" &
host_pid=$!

# The editor takes the mouse once it has drawn itself.
deadline=$((SECONDS + wait_seconds))
until "$linux/wine_editor_grab" "$work/grab.png" >/dev/null 2>"$work/grab.log"; do
  kill -0 "$host_pid" 2>/dev/null ||
    fail "quorlin-host.exe ended before its editor was drawn: $(tail -n 1 "$work/host.log")"
  [ "$SECONDS" -lt "$deadline" ] || fail "the editor was not drawn within $wait_seconds s: $(tail -n 1 "$work/grab.log")"
  sleep 0.5
done

"$linux/wine_editor_grab" --drag "$knob_x" "$knob_y" "$drag_x" 2>"$work/drag.log" ||
  fail "the drag could not be made: $(tail -n 1 "$work/drag.log")"

# Closing the window ends the host, which then prints the parameters.
deadline=$((SECONDS + wait_seconds))
while kill -0 "$host_pid" 2>/dev/null; do
  [ "$SECONDS" -lt "$deadline" ] || fail "quorlin-host.exe did not end within $wait_seconds s of closing its window"
  sleep 0.2
done
host_status=0
wait "$host_pid" || host_status=$?
host_pid=""
[ "$host_status" = 0 ] || fail "quorlin-host.exe ended with status $host_status: $(tail -n 1 "$work/host.log")"

# Expected: parameter 3 is (120 - 60) x 0.00416 = 0.2496; the release sends every
# other knob at 0.9984 times its value. Within 4 units in the last place of a float
# (2^-21 near 1, 2^-23 near 0.25), the rounding of the editor's float arithmetic.
expected=$(printf '%s\n' "${settings[@]}" | tr '=' ' ')
verdict=$(awk -v expected="$expected" '
  BEGIN {
    n = split(expected, fields, /[ \n]+/)
    for (i = 1; i + 1 <= n; i += 2) want[fields[i]] = fields[i + 1] * 0.9984
    want[3] = 0.2496
  }
  NF == 2 {
    seen[$1] = 1
    tolerance = ($1 == 3) ? 2 ^ -23 : 2 ^ -21
    if (!($1 in want)) { print "unexpected parameter " $1; bad = 1; next }
    if ($2 - want[$1] > tolerance || want[$1] - $2 > tolerance) {
      printf "parameter %s is %s, not %.9g\n", $1, $2, want[$1]; bad = 1
    }
  }
  NF != 2 { print "unreadable line: " $0; bad = 1 }
  END {
    for (i in want) if (!(i in seen)) { print "parameter " i " was not printed"; bad = 1 }
    if (!bad) print "ok"
  }' "$work/parameters.txt")
[ "$verdict" = ok ] || fail "$(head -n 1 <<<"$verdict") after the drag (all: $work/parameters.txt)"

echo "test-editor-wine-mouse: PASS: under Wine, a 60-pixel XTest drag of knob 5 in the Windows ($target) build's editor" \
  "sets parameter 3 to $(awk '$1 == 3 { print $2 }' "$work/parameters.txt") (0.2496) and the other seven to 0.9984 times their values"
