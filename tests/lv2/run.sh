#!/usr/bin/env bash
# The LV2 bundle in LV2's own tools and in real hosts, on an X server and a
# JACK server (dummy backend) of the script's own:
#   bundle  lv2_validate passes on every Turtle file, whose minor version is
#           a release's (even, not zero); lilv finds one
#           instrument with a MIDI input, two audio outputs, eight 0-to-1
#           controls whose defaults are the VST 2 module's default program,
#           and the factory bank's sounds as presets; lv2bench runs it; its
#           libraries export nothing but their descriptor functions; jalv
#           loads it with its JACK ports and controls.
#   editor  jalv.gtk3 embeds the editor, started with the decay time at 0.5:
#           a drag from there, 40 pixels to the right, must make the port
#           0.5 + 40/240 in the state jalv saves, the others unchanged; console
#           jalv, which cannot embed, shows it in a window of its own.
# Prints one PASS or FAIL line per check and a count.
# Usage: tests/lv2/run.sh [bundle|editor|all] BUILD_DIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
which="$1"
build="$(realpath -m "${2:?usage: $0 [bundle|editor|all] BUILD_DIR}")"
uri="urn:quorlin:instrument"
work="$build/lv2-checks"
rm -rf "$work"
mkdir -p "$work/path" "$work/home"
# lilv sees the bundle and Debian's LV2 specifications (which say that an
# instrument is a plug-in), nothing else of the build folder.
ln -s "$build/quorlin.lv2" "$work/path/quorlin.lv2"
# GTK keeps its settings in memory: no settings daemon to warn about.
export LV2_PATH="$work/path:/usr/lib/lv2" HOME="$work/home" LIBGL_ALWAYS_SOFTWARE=1 GSETTINGS_BACKEND=memory
# A fixed name: JACK reuses a dead server's slot (of eight) only for its name.
export JACK_DEFAULT_SERVER="quorlin-lv2-test"
# shellcheck source=scripts/private-x-server.sh
source "$here/../../scripts/private-x-server.sh"
jack_pid="" host_pid=""
# stop PID: SIGTERM, a second one for a jalv whose UI loop took the first, and
# SIGKILL for one held by a dialog. A jackd left with a killed client takes
# seconds to end, and a killed jackd keeps its server slot: it gets 10 s.
stop() {
  [ -n "$1" ] || return 0
  local tries
  for tries in 5 50; do
    kill "$1" 2>/dev/null
    for _ in $(seq "$tries"); do kill -0 "$1" 2>/dev/null || break 2; sleep 0.2; done
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
trap 'stop "$host_pid"; stop "$jack_pid"; stop_private_x_server' EXIT

# shellcheck source=tests/hosts/checks.sh
source "$here/../hosts/checks.sh"
# wait_for COMMAND...: runs it every 0.2 s until it succeeds, for up to 20 s.
wait_for() {
  for _ in $(seq 100); do "$@" 2>/dev/null && return 0; sleep 0.2; done
  return 1
}

start_jack() {
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
  jack_pid=$!
  jack_wait -s "$JACK_DEFAULT_SERVER" -w -t 10 >/dev/null 2>&1 || { fail "jackd starts" "$work/jackd.log"; return 1; }
}

run_bundle() {
  check "lv2_validate: every Turtle file of the bundle is valid" "$work/validate.log" \
    lv2_validate "$build"/quorlin.lv2/*.ttl
  # The VST 2 module's default program (in a bank quorlin-host saves) and the factory bank.
  "$build/quorlin-host" render --quiet --save "$work/vst2.fxb" "$here/../../examples/demo.mid" "$work/demo.wav" \
    >"$work/vst2.log" 2>&1
  "$build/quorlin-host" info --preset "$work/vst2.fxb" >>"$work/vst2.log" 2>&1
  "$build/quorlin-host" info --preset "$build/quorlin-factory.fxb" >"$work/factory.log" 2>&1
  { lv2ls | grep -c '^urn:quorlin:'; lv2info "$uri"; } >"$work/lv2info.log" 2>&1
  check "lv2ls and lv2info: one instrument; a MIDI input, two audio outputs, eight 0-to-1 controls defaulting to \
the VST 2 default program; the factory bank's sounds as presets" "$work/ports.log" \
    python3 - "$work/lv2info.log" "$work/vst2.log" "$work/factory.log" <<'PYTHON'
import re, sys
info = open(sys.argv[1]).read()
blocks = re.split(r"^\tPort \d+:$", info, flags=re.M)
ports = [dict(re.findall(r"^\t\t(\w[\w ]*?): +(.*)$", block, re.M)) for block in blocks[1:]]
kinds = [" ".join(sorted(re.findall(r"^\t\t(?:Type: +|\s+)http\S*#(\w+)$", block, re.M))) for block in blocks[1:]]
defaults = [float(p["Default"]) for p in ports[3:]]
vst2 = [float(v) for v in re.search(r'^ +0 +"Default 0" +values (.*)$', open(sys.argv[2]).read(), re.M)[1].split()]
presets = sorted(line.strip() for line in blocks[0].split("Presets:")[1].splitlines() if line.strip())
factory = sorted(re.findall(r'^ +\d +"(.*)" +values', open(sys.argv[3]).read(), re.M))
print(kinds, defaults, vst2, presets, factory, sep="\n")
assert info.startswith("1\n") and re.search(r"Class: *Instrument", info)
assert kinds == ["AtomPort InputPort"] + ["AudioPort OutputPort"] * 2 + ["ControlPort InputPort"] * 8
assert all(float(p["Minimum"]) == 0 and float(p["Maximum"]) == 1 for p in ports[3:])
assert len(defaults) == len(vst2) and all(abs(d - v) < 5e-7 for d, v in zip(defaults, vst2))  # six decimals
assert presets == factory and len(presets) >= 4
PYTHON
  # LV2 takes a minor version of zero, or an odd one, for a development version.
  check "the bundle says it is a release: its lv2:minorVersion is even and not zero" "$work/version.log" \
    bash -c "sordi '$build/quorlin.lv2/quorlin.ttl' | grep -o 'lv2core#minorVersion> \"[0-9]*' |
             awk -F'\"' '{ minor = \$2 } END { print \"minor version\", minor; exit !(minor > 0 && minor % 2 == 0) }'"
  check "lv2bench runs the instrument" "$work/lv2bench.log" bash -c "lv2bench $uri | grep ' $uri\$'"
  exports() { nm -D --defined-only "$build/quorlin.lv2/$1" | awk '{ print $3 }' | tr '\n' ' '; }
  check "the plug-in and UI libraries export their descriptor functions alone" "$work/exports.log" \
    test "$(exports quorlin_dsp.so)$(exports quorlin_ui.so)" = "lv2_descriptor lv2ui_descriptor "
  start_jack || return
  { { sleep 2; jack_lsp Quorlin >&2; echo controls; sleep 1; } | timeout 20 jalv "$uri"; } >"$work/jalv.log" 2>&1
  if [ "$(grep -c '^Quorlin:\(midi_in\|out_left\|out_right\)$' "$work/jalv.log")" -eq 3 ] &&
     [ "$(grep -c '^\(> \)*[a-z_]* = [0-9.]*$' "$work/jalv.log")" -eq 16 ]; then
    pass "jalv on JACK's dummy backend: loads it, with its JACK ports, and lists its eight controls"
  else
    fail "jalv on JACK's dummy backend: loads it, with its JACK ports, and lists its eight controls" "$work/jalv.log"
  fi
}

# The editor's window (embedded or its own), and a point of it on the screen.
editor_window() { xwininfo -root -tree | awk '/ 300x200\+/ { print $1; exit }' | grep .; }
screen_point() {
  xwininfo -id "$1" | awk -v dx="$2" -v dy="$3" '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                                END { print x + dx, y + dy }'
}

run_editor() {
  start_private_x_server "$work/x-server" || { fail "Xvfb starts" "$work/x-server/xvfb.log"; return; }
  [ -n "$jack_pid" ] || start_jack || return
  local name="jalv.gtk3: a drag on the decay knob takes decay_time from 0.5 to 0.5 + 40/240, the others unchanged"
  jalv.gtk3 -c decay_time=0.5 -c lowpass=0.25 "$uri" >"$work/jalv-gtk.log" 2>&1 &
  host_pid=$!
  # jalv's window takes its name once it is laid out, with the editor inside.
  if wait_for xdotool search --name '^Quorlin$' >/dev/null && editor=$(wait_for editor_window); then
    read -r x y <<<"$(screen_point "$editor" 149 135)"  # the decay knob, third of the lower row
    xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2
    for step in 10 20 30 40; do xdotool mousemove "$((x + step))" "$y" sleep 0.1; done
    xdotool mouseup 1 sleep 0.5
    # jalv saves its ports' values as state: File > Save (Ctrl+S), a folder, Return once
    # the chooser has finished completing the name.
    xdotool search --name '^Quorlin$' windowfocus --sync key --clearmodifiers ctrl+s
    wait_for xdotool search --name 'Save State' >/dev/null
    xdotool type --delay 20 "$work/saved"
    sleep 1
    xdotool key Return
    wait_for test -s "$work/saved/state.ttl"
    check "$name" "$work/state.log" python3 - "$work/saved/state.ttl" <<'PYTHON'
import re, sys
ports = {s: float(v) for s, v in re.findall(r'lv2:symbol "(\w+)" ;\s*pset:value ([-0-9.e]+)', open(sys.argv[1]).read())}
print(ports)
expected = {"waveform": 0.5, "attack_time": 0.0, "attack_level": 0.3, "decay_time": 0.5 + 40 / 240,
            "sustain_level": 0.3, "release_time": 0.0, "lowpass": 0.25, "resonance": 0.999}
assert ports.keys() == expected.keys() and all(abs(ports[k] - v) < 1e-7 for k, v in expected.items())  # floats
PYTHON
  else
    fail "$name (no editor window)" "$work/jalv-gtk.log"
  fi
  stop "$host_pid"
  host_pid=""

  # Console jalv reads commands from its input, held open here.
  mkfifo "$work/commands"
  jalv -s "$uri" <"$work/commands" >"$work/jalv-show.log" 2>&1 &
  host_pid=$!
  exec 3>"$work/commands"
  if wait_for bash -c "xwininfo -root -children | grep -q '\"Quorlin\": ()  300x200+'"; then
    pass "console jalv: the editor in a titled window of its own, 300 by 200 (ui:showInterface)"
  else
    fail "console jalv: the editor in a titled window of its own, 300 by 200 (ui:showInterface)" "$work/jalv-show.log"
  fi
  stop "$host_pid"
  host_pid=""
  exec 3>&-
}

case "$which" in
  bundle) run_bundle ;;
  editor) run_editor ;;
  all) run_bundle; run_editor ;;
  *) echo "usage: $0 [bundle|editor|all] BUILD_DIR" >&2; exit 2 ;;
esac
echo "bundle and editor: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
