# Sourced by the Wine editor checks: a private X server, the Windows build's
# Wine prefix, and the tools they need, built and ready; on exit the host, the
# prefix's wineserver and the X server are stopped.
# The caller sets `check` (its name, for messages) and `target` (i686 or
# x86_64), then calls start_wine_editor_session WORK_NAME LINUX_TARGET...,
# which leaves `linux` and `windows` (build folders), `work` (a fresh folder
# for logs and pictures) and DISPLAY set. A host started afterwards keeps its
# process id in `host_pid`.

# Long enough for a slow first start of Wine; a drawn editor shows within seconds.
readonly wait_seconds=90
session_scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/builds.sh
source "$session_scripts/builds.sh"
# shellcheck source=scripts/wine-prefix.sh
source "$session_scripts/wine-prefix.sh"
# shellcheck source=scripts/private-x-server.sh
source "$session_scripts/private-x-server.sh"

fail() {
  echo "$check: FAIL: $*" >&2
  exit 1
}

host_pid=""
stop_wine_editor_session() {
  if [ -n "$host_pid" ]; then kill "$host_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "$host_pid" ]; then wait "$host_pid" 2>/dev/null || true; fi
  stop_private_x_server
}

start_wine_editor_session() {
  local work_name=$1
  shift
  case "$target" in
    i686 | x86_64) ;;
    *) echo "usage: scripts/$check.sh [i686|x86_64]" >&2; exit 2 ;;
  esac
  linux="$(build_dir linux)"
  windows="$(build_dir "$target")"
  work="$windows/$work_name"
  rm -rf "$work"
  mkdir -p "$work"

  build_targets linux "$@" >"$work/build.log" 2>&1 ||
    fail "building the Linux tools failed; see $work/build.log"
  build_targets "$target" quorlin quorlin_clap quorlin-host >>"$work/build.log" 2>&1 ||
    fail "building quorlin-host.exe, quorlin.dll and quorlin.clap ($target) failed; see $work/build.log"

  use_build_wine "$windows" || fail "no Wine prefix for $windows"
  export LIBGL_ALWAYS_SOFTWARE=1
  trap stop_wine_editor_session EXIT
  start_private_x_server "$work" || fail "no X server"
}
