#!/usr/bin/env bash
# Takes the editor's picture with the Windows build of quorlin-host under Wine
# (on a virtual X server, Mesa's software renderer behind Wine's OpenGL) and
# compares it with docs/editor.png, the picture the Linux build takes.
# Usage: scripts/test-editor-wine.sh [LINUX_BUILD] [WINDOWS_BUILD]   (defaults: build, build-win)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
linux="$(realpath -m "${1:-$root/build}")"
windows="$(realpath -m "${2:-$root/build-win}")"

cmake --build "$linux" -j2 --target editor_screenshot_tests >/dev/null
cmake --build "$windows" -j2 --target quorlin quorlin-host >/dev/null

export WINEPREFIX="$windows/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LIBGL_ALWAYS_SOFTWARE=1
[ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }

mapfile -t arguments <"$root/tests/editor/screenshot_arguments.txt"
shot="$windows/editor_screenshot_wine.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" \
  sh -c 'wine "$@"; status=$?; wineserver -w; exit $status' wine \
  "$windows/quorlin-host.exe" editor --plugin "$windows/quorlin.dll" "${arguments[@]}" --screenshot "$shot"

QUORLIN_SCREENSHOT="$shot" QUORLIN_REFERENCE_SCREENSHOT="$root/docs/editor.png" \
  "$linux/editor_screenshot_tests" --gtest_filter='EditorScreenshot.*'
