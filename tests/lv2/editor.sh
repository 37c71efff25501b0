#!/usr/bin/env bash
# The editor as an LV2 UI in real hosts, on an X server and a JACK server of
# the test's own. jalv.gtk3 embeds it, started with the decay time at 0.5, so
# the knob must stand where that value puts it: a drag from there, 40 pixels
# to the right, must set the port to 0.5 + 40/240, which jalv writes into the
# state it saves, while the other ports keep their values. Console jalv,
# which cannot embed, shows it in a window of its own (ui:showInterface).
# Prints one PASS or FAIL line per check and a count.
# Usage: tests/lv2/editor.sh BUILD_DIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath -m "${1:?usage: $0 BUILD_DIR}")"
uri="urn:quorlin:instrument"
work="$build/lv2-checks/editor"
rm -rf "$work"
mkdir -p "$work/path" "$work/home"
ln -s "$build/quorlin.lv2" "$work/path/quorlin.lv2"
export LV2_PATH="$work/path" HOME="$work/home" LIBGL_ALWAYS_SOFTWARE=1
# shellcheck source=scripts/private-x-server.sh
source "$here/../../scripts/private-x-server.sh"
# shellcheck source=tests/lv2/private_jack.sh
source "$here/private_jack.sh"
host_pid=""
# jalv ends on SIGTERM unless a dialog or its UI loop holds it; then SIGKILL.
stop_host() {
  [ -n "$host_pid" ] || return 0
  kill "$host_pid" 2>/dev/null
  local _
  for _ in $(seq 15); do kill -0 "$host_pid" 2>/dev/null || break; sleep 0.2; done
  kill -KILL "$host_pid" 2>/dev/null
  wait "$host_pid" 2>/dev/null
  host_pid=""
}
stop_all() {
  stop_host
  stop_private_jack
  stop_private_x_server
}
trap stop_all EXIT

passed=0 failed=0
pass() { echo "PASS: $1"; passed=$((passed + 1)); }
fail() {
  echo "FAIL: $1"
  failed=$((failed + 1))
  for log in "${@:2}"; do [ -f "$log" ] && sed 's/^/    | /' "$log" | tail -n 20; done
}

# wait_for COMMAND...: runs it every 0.2 s until it succeeds, for up to 20 s.
wait_for() {
  local _
  for _ in $(seq 100); do "$@" 2>/dev/null && return 0; sleep 0.2; done
  return 1
}
# The 300 by 200 window: the editor's, embedded or its own.
editor_window() { xwininfo -root -tree | awk '$0 ~ / 300x200\+/ { print $1; exit }' | grep .; }
# A point of the editor window in screen pixels.
screen_point() {
  local x y
  x=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print $NF }')
  y=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ { print $NF }')
  echo "$((x + $2)) $((y + $3))"
}

start_private_x_server "$work/x-server" && start_private_jack "$work/jackd.log" || {
  fail "starting Xvfb and JACK's dummy backend" "$work/x-server/xvfb.log" "$work/jackd.log"
  echo "editor in jalv: $passed passed, $failed failed"
  exit 1
}

# --- embedded in jalv.gtk3: a drag sets the port the knob stands for
jalv.gtk3 -c decay_time=0.5 -c lowpass=0.25 "$uri" >"$work/jalv-gtk.log" 2>&1 &
host_pid=$!
name="jalv.gtk3: a drag on the decay knob sets decay_time from 0.5 to 0.5 + 40/240; the others keep their values"
# jalv's window takes its name once it is laid out, the editor inside it.
if wait_for xdotool search --name '^Quorlin$' >/dev/null && editor=$(wait_for editor_window); then
  # Decay's knob is the lower row's third, at (149, 135) in the window.
  read -r x y <<<"$(screen_point "$editor" 149 135)"
  xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2
  for step in 10 20 30 40; do xdotool mousemove "$((x + step))" "$y" sleep 0.1; done
  xdotool mouseup 1 sleep 0.5
  # jalv saves its ports' values as state: File > Save (Ctrl+S), a folder name, Return.
  xdotool search --name '^Quorlin$' windowfocus --sync key --clearmodifiers ctrl+s
  wait_for xdotool search --name 'Save State' >/dev/null
  # The chooser completes what is typed; Return only once it has settled.
  xdotool type --delay 20 "$work/saved"
  sleep 1
  xdotool key Return
  wait_for test -s "$work/saved/state.ttl"
  sordi "$work/saved/state.ttl" >"$work/state.nt" 2>&1
  python3 - "$work/state.nt" >"$work/ports.log" 2>&1 <<'PYTHON'
import re, sys
triples = [line.split(" ", 2) for line in open(sys.argv[1])]
symbol = {s: o.rstrip(" .\n").strip('"') for s, p, o in triples if p.endswith("#symbol>")}
value = {s: float(o.split("^^")[0].strip('" .\n')) for s, p, o in triples if p.endswith("#value>")}
ports = {symbol[s]: value[s] for s in symbol}
print(ports)
expected = {"waveform": 0.5, "attack_time": 0.0, "attack_level": 0.3, "decay_time": 0.5 + 40 / 240,
            "sustain_level": 0.3, "release_time": 0.0, "lowpass": 0.25, "resonance": 0.999}
# Saved as floats: within one part in ten million.
assert ports.keys() == expected.keys() and all(abs(ports[k] - v) < 1e-7 for k, v in expected.items()), expected
PYTHON
  if [ $? -eq 0 ]; then pass "$name"; else fail "$name" "$work/ports.log" "$work/jalv-gtk.log"; fi
else
  fail "$name (no editor window appeared)" "$work/jalv-gtk.log"
fi
stop_host

# --- console jalv: a window of the editor's own
mkfifo "$work/commands"
jalv -s "$uri" <"$work/commands" >"$work/jalv.log" 2>&1 &
host_pid=$!
exec 3>"$work/commands"  # keeps jalv's input open
own_window() { xwininfo -root -children | grep -q '"Quorlin": ()  300x200+'; }
if wait_for own_window; then
  pass "console jalv: the editor in a top-level window of its own, titled and 300 by 200"
else
  xwininfo -root -tree >"$work/windows.log" 2>&1
  fail "console jalv: the editor in a top-level window of its own, titled and 300 by 200" "$work/jalv.log" "$work/windows.log"
fi
exec 3>&-

echo "editor in jalv: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
