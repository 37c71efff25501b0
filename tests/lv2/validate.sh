#!/usr/bin/env bash
# The LV2 bundle as LV2's own tools and a plain host see it: every Turtle file
# passes lv2_validate; lilv finds one instrument in it, with its MIDI input,
# two audio outputs, eight controls whose defaults are the VST 2 build's
# default program, and the four factory presets; lv2bench runs it; jalv loads
# it on JACK's dummy backend and shows its controls and ports.
# Prints one PASS or FAIL line per check and a count.
# Usage: tests/lv2/validate.sh BUILD_DIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath -m "${1:?usage: $0 BUILD_DIR}")"
bundle="$build/quorlin.lv2"
uri="urn:quorlin:instrument"
work="$build/lv2-checks/validate"
rm -rf "$work"
mkdir -p "$work/path"
# shellcheck source=tests/lv2/private_jack.sh
source "$here/private_jack.sh"
trap stop_private_jack EXIT

passed=0 failed=0
pass() { echo "PASS: $1"; passed=$((passed + 1)); }
fail() {
  echo "FAIL: $1"
  failed=$((failed + 1))
  if [ -n "${2:-}" ] && [ -f "$2" ]; then sed 's/^/    | /' "$2" | tail -n 30; fi
}
# check NAME LOG COMMAND...: runs COMMAND with its output in LOG.
check() {
  local name="$1" log="$2"
  shift 2
  if "$@" >"$log" 2>&1; then pass "$name"; else fail "$name" "$log"; fi
}

# lilv sees the bundle and Debian's LV2 specifications (which say that an
# instrument is a plug-in), nothing else of the build folder.
ln -s "$bundle" "$work/path/quorlin.lv2"
export LV2_PATH="$work/path:/usr/lib/lv2"

check "lv2_validate: every Turtle file of the bundle is valid" "$work/validate.log" lv2_validate "$bundle"/*.ttl

lv2info "$uri" >"$work/lv2info.log" 2>&1
# The VST 2 build's default program, as a bank saved by quorlin-host.
{ "$build/quorlin-host" render --plugin "$build/quorlin.so" --quiet --save "$work/vst2.fxb" \
    "$here/../../examples/demo.mid" "$work/demo.wav" &&
  "$build/quorlin-host" info --plugin "$build/quorlin.so" --preset "$work/vst2.fxb"; } >"$work/vst2.log" 2>&1
"$build/quorlin-host" info --plugin "$build/quorlin.so" --preset "$build/quorlin-factory.fxb" >"$work/factory.log" 2>&1
one_instrument() {
  cat "$work/lv2info.log"
  [ "$(lv2ls | grep -c '^urn:quorlin:')" -eq 1 ] && grep -q 'Class: *Instrument' "$work/lv2info.log" &&
    [ "$(grep -c '^	Port [0-9]*:' "$work/lv2info.log")" -eq 11 ]
}
check "lv2ls and lv2info: one instrument of 11 ports" "$work/instrument.log" one_instrument
python3 - "$work/lv2info.log" "$work/vst2.log" "$work/factory.log" >"$work/ports.log" 2>&1 <<'PYTHON'
import re, sys
info = open(sys.argv[1]).read()
blocks = re.split(r"^\tPort \d+:$", info, flags=re.M)[1:]
ports = [dict(re.findall(r"^\t\t(\w[\w ]*?): +(.*)$", block, re.M)) for block in blocks]
kinds = [" ".join(sorted(re.findall(r"^\t\t(?:Type: +|\s+)http\S*#(\w+)$", block, re.M))) for block in blocks]
assert kinds[0] == "AtomPort InputPort", kinds[0]
assert kinds[1:3] == ["AudioPort OutputPort"] * 2, kinds[1:3]
assert kinds[3:] == ["ControlPort InputPort"] * 8, kinds[3:]
defaults = [float(p["Default"]) for p in ports[3:]]
vst2 = [float(v) for v in re.search(r'^ +0 +"Default 0" +values (.*)$', open(sys.argv[2]).read(), re.M)[1].split()]
assert all(abs(d - v) < 5e-7 for d, v in zip(defaults, vst2)), (defaults, vst2)
assert all(float(p["Minimum"]) == 0 and float(p["Maximum"]) == 1 for p in ports[3:])
presets = sorted(line.strip() for line in info.split("Presets:")[1].split("Port 0:")[0].splitlines() if line.strip())
factory = sorted(re.findall(r'^ +\d +"(.*)" +values', open(sys.argv[3]).read(), re.M))
print("ports:", kinds, "defaults:", defaults, "presets:", presets, "factory bank:", factory)
assert presets == factory and len(presets) >= 4
PYTHON
if [ $? -eq 0 ]; then
  pass "lv2info: a MIDI input, two audio outputs, eight 0-to-1 controls defaulting to the VST 2 default program, the factory bank's sounds as presets"
else
  fail "lv2info: a MIDI input, two audio outputs, eight 0-to-1 controls defaulting to the VST 2 default program, the factory bank's sounds as presets" "$work/ports.log"
fi

check "lv2bench runs the instrument" "$work/lv2bench.log" bash -c "lv2bench $uri && lv2bench $uri | grep -q ' $uri\$'"

# jalv, a plain JACK host, loads it and prints its controls when asked.
jalv_loads() {
  start_private_jack "$work/jackd.log" || return
  { sleep 2; jack_lsp Quorlin >&2; echo controls; sleep 1; } | timeout 20 jalv "$uri"
  local status=$?
  stop_private_jack
  return "$status"
}
jalv_loads >"$work/jalv.log" 2>&1
if grep -q '^Quorlin:midi_in$' "$work/jalv.log" && grep -q '^Quorlin:out_left$' "$work/jalv.log" &&
   grep -q '^Quorlin:out_right$' "$work/jalv.log" && [ "$(grep -c '^> *[a-z_]* = [0-9.]*$\|^[a-z_]* = [0-9.]*$' "$work/jalv.log")" -ge 16 ]; then
  pass "jalv on JACK's dummy backend: loads it, with its JACK ports and its eight controls"
else
  fail "jalv on JACK's dummy backend: loads it, with its JACK ports and its eight controls" "$work/jalv.log"
fi

echo "bundle checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
