# Sourced by the Wine editor checks: a private X server, the project's Wine
# settings and prefix, and the tools they need, built and ready; on exit the
# host, the prefix's wineserver and the X server are stopped.
# The caller sets `check` (its name, for messages), `linux` and `windows`
# (build folders), then calls start_wine_editor_session WORK_NAME TARGET...,
# which leaves `work` (a fresh folder for logs and pictures) and DISPLAY set.
# A host started afterwards keeps its process id in `host_pid`.

# Long enough for a slow first start of Wine; a drawn editor shows within seconds.
readonly wait_seconds=90

fail() {
  echo "$check: FAIL: $*" >&2
  exit 1
}

xvfb_pid="" host_pid=""
stop_wine_editor_session() {
  if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "$host_pid" ]; then wait "$host_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}

start_wine_editor_session() {
  local work_name=$1
  shift
  [ -f "$linux/CMakeCache.txt" ] || fail "$linux is not a configured Linux build folder"
  [ -f "$windows/CMakeCache.txt" ] || fail "$windows is not a configured Windows build folder"
  work="$windows/$work_name"
  rm -rf "$work"
  mkdir -p "$work"

  cmake --build "$linux" -j2 --target "$@" >"$work/build.log" 2>&1 ||
    fail "building the Linux tools failed; see $work/build.log"
  cmake --build "$windows" -j2 --target quorlin quorlin-host >>"$work/build.log" 2>&1 ||
    fail "building quorlin-host.exe and quorlin.dll failed; see $work/build.log"

  export WINEPREFIX="$windows/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LIBGL_ALWAYS_SOFTWARE=1
  trap stop_wine_editor_session EXIT

  # Xvfb picks a free display itself and writes its number once it accepts connections.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(tail -n 1 "$work/xvfb.log")"
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "Xvfb gave no display number within 10 s"
  DISPLAY=":$(head -n 1 "$work/display")"
  export DISPLAY

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    { wineboot -i && wineserver -w; } >"$work/wineboot.log" 2>&1 || fail "wineboot failed; see $work/wineboot.log"
  fi
}
