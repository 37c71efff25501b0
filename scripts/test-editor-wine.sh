#!/usr/bin/env bash
# The Windows build's editor under Wine, against the picture the Linux build
# takes (docs/editor.png, compared by editor_screenshot_tests: every channel of
# every pixel within 8 levels).
#
# What it proves: the cross-built quorlin-host.exe opens the editor of
# quorlin.dll (or, asked for, of quorlin.clap, as a CLAP GUI) in a Win32 window, and the editor draws the right picture (panel texture from
# the DLL's resource, knob meshes, fins at the --param values) through real
# WGL/OpenGL 1.1 calls, which Wine hands to Mesa's software renderer.
# What it does not prove: mouse editing on Windows, nor that the picture
# reaches the screen. Wine 8.0 does
# not present OpenGL child windows: it renders them into an X window of their
# own, redirected off screen with XComposite inside a 1x1 stand-in window at
# (-1, -1), and never copies that to the parent (a minimal Win32 program that
# clears a GL window to red reads red from the screen for a top-level window,
# black for a WS_CHILD one). So the picture is read from that X window, from
# the Linux side (wine_editor_grab), and each run also reports how much of it
# the screen shows in the host's window.
#
# Runs on a private Xvfb with the Wine prefix of the Windows build folder;
# stops that X server and the prefix's wineserver on exit. About 3 s when the
# builds are up to date and the prefix exists (a new prefix adds about 10 s).
# Usage: scripts/test-editor-wine.sh [i686|x86_64 [quorlin.dll|quorlin.clap]]
#   (the Windows target, default i686; the module, default quorlin.dll)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:-i686}"
module="${2:-quorlin.dll}"

check=test-editor-wine
# shellcheck source=scripts/wine-editor-session.sh
source "$root/scripts/wine-editor-session.sh"
start_wine_editor_session "editor-wine-${module##*.}" editor_screenshot_tests wine_editor_grab

# Without --screenshot the host keeps its window, and so the editor, open.
mapfile -t arguments <"$root/tests/editor/screenshot_arguments.txt"
wine "$windows/quorlin-host.exe" editor --plugin "$windows/$module" "${arguments[@]}" >"$work/host.log" 2>&1 &
host_pid=$!

# The picture counts once two grabs half a second apart are the same.
shot="$work/editor_wine.png"
deadline=$((SECONDS + wait_seconds))
settled="" grab_status=2
while [ -z "$settled" ]; do
  if ! kill -0 "$host_pid" 2>/dev/null; then
    host_status=0
    wait "$host_pid" || host_status=$?
    host_pid=""
    fail "quorlin-host.exe ended (status $host_status) before its editor was drawn: $(tail -n 1 "$work/host.log")"
  fi
  grab_status=0
  on_screen=$("$linux/wine_editor_grab" "$work/grab.png" 2>"$work/grab.log") || grab_status=$?
  case $grab_status in
    0) if [ -f "$shot" ] && cmp -s "$work/grab.png" "$shot"; then settled=yes; else mv "$work/grab.png" "$shot"; fi ;;
    2 | 3) rm -f "$shot" ;;
    *) fail "$(tail -n 1 "$work/grab.log")" ;;
  esac
  if [ -z "$settled" ] && [ "$SECONDS" -ge "$deadline" ]; then
    case $grab_status in
      2) fail "Wine showed no OpenGL window of the editor within $wait_seconds s (host log: $work/host.log)" ;;
      3) fail "Wine did not draw the editor: its OpenGL window stayed blank for $wait_seconds s" ;;
      *) fail "the editor's picture under Wine kept changing for $wait_seconds s" ;;
    esac
  fi
  [ -n "$settled" ] || sleep 0.5
done

# A filter that matched no test would pass silently; insist on the one comparison.
if ! QUORLIN_SCREENSHOT="$shot" QUORLIN_REFERENCE_SCREENSHOT="$root/docs/editor.png" \
  "$linux/editor_screenshot_tests" --gtest_filter='EditorScreenshot.MatchesTheReadmePicture' >"$work/compare.log" 2>&1 ||
  ! grep -q '^\[  PASSED  \] 1 test\.$' "$work/compare.log"; then
  fail "the Windows build's editor under Wine differs from docs/editor.png by more than 8 levels" \
    "($(grep -o 'largest difference [0-9]*' "$work/compare.log" || echo 'see log')); picture: $shot, log: $work/compare.log"
fi

shown=$(grep -o '[0-9]\+' <<<"$on_screen" | head -n 1)
if [ "$shown" = 0 ]; then
  presented="read from Wine's off-screen X window, as $(wine --version) does not put OpenGL child windows on screen"
else
  presented="read from Wine's off-screen X window"
fi
echo "test-editor-wine: PASS: the Windows ($target) build (quorlin-host.exe, $module) draws the editor through WGL/OpenGL" \
  "under Wine as docs/editor.png shows it, within 8 levels per channel; $presented ($on_screen)"
