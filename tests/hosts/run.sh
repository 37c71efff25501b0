#!/usr/bin/env bash
# Real hosts load and play the instrument: Ardour 7 and the qtractor and MusE
# scanners take the Linux module, qtractor's the CLAP module too, Ardour 7 the
# LV2 bundle too (and Ardour keeps
# the sound of either in a saved session), LMMS 1.2 with VeSTige takes the
# Windows module under Wine. Prints one PASS or FAIL line per check and exits
# non-zero when any check fails.
#
# Usage: tests/hosts/run.sh [ardour|ardour-lv2|scanners|lmms|all] [BUILD_DIR [BUILD_DIR_WIN]]
#   BUILD_DIR      Linux build folder with quorlin.so, quorlin.lv2, quorlin.clap and quorlin-host
#   BUILD_DIR_WIN  Windows build folder with quorlin.dll (lmms only)
# Both may also come from the environment. Every home, cache, session and Wine
# prefix the hosts create stays in BUILD_DIR/hosts or BUILD_DIR_WIN/hosts.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
which="${1:-all}"
BUILD_DIR="$(realpath -m "${2:-${BUILD_DIR:-$repo/build}}")"
BUILD_DIR_WIN="$(realpath -m "${3:-${BUILD_DIR_WIN:-$repo/build-win}}")"
RATE=48000
# Ardour plays the notes where the region puts them; a millisecond leaves
# room for the first samples of a note that starts near a zero crossing.
ARDOUR_TOLERANCE_MS=1
MIN_CORRELATION=0.99
# LMMS hands each note to VeSTige at its frame within a 256-frame period;
# one period (5.8 ms at 44.1 kHz) is allowed.
LMMS_TOLERANCE_MS=6

case "$which" in
  ardour|ardour-lv2|scanners|lmms|all) ;;
  *) echo "usage: $0 [ardour|ardour-lv2|scanners|lmms|all] [BUILD_DIR [BUILD_DIR_WIN]]" >&2; exit 2 ;;
esac

# The LV2 bundle's Ardour checks share the module's, their names prefixed.
# shellcheck source=tests/hosts/checks.sh
source "$here/checks.sh"

bash "$repo/scripts/install-deps.sh" hosts || { echo "FAIL: installing the host packages"; exit 1; }

# A private home for every host, so nothing lands in the user's.
use_home() {
  export HOME="$1"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_RUNTIME_DIR="$HOME/.runtime"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

package_file() { dpkg -L "$1" | grep -m1 "$2"; }

# ------------------------------------------------------------------ Linux

linux_work="$BUILD_DIR/hosts"
module="$BUILD_DIR/quorlin.so"

# linux_ready GROUP: a clean output folder for the group's checks.
linux_ready() {
  if [ ! -f "$module" ]; then
    fail "$1: no $module (build the quorlin target first)"
    return 1
  fi
  out="$linux_work/$1"
  rm -rf "$out"
  mkdir -p "$out"
  use_home "$linux_work/home"
}

# Ardour's scanner prints what it found and writes the plug-in cache that a
# session needs. Its exit status says nothing: the "Found Plugin" line does.
ardour_scan_into() {
  local scanner
  scanner="$(package_file ardour /ardour-vst-scanner)"
  { LD_LIBRARY_PATH="$(dirname "$scanner")" timeout 60 "$scanner" -v -f "$module"; } >"$1" 2>&1
  grep -q "Found Plugin" "$1"
}

ardour_scan() {
  local log="$out/ardour-scan.log" name="Ardour 7 scanner: instrument, 0 in, 2 out, MIDI in, editor, id 'Qrl '"
  if ardour_scan_into "$log" &&
     grep -q '<VST2Info id="1366453280"' "$log" &&
     grep -q 'category="Instrument"' "$log" &&
     grep -q 'n_inputs="0" n_outputs="2" n_midi_inputs="1"' "$log" &&
     grep -q 'is_instrument="1"' "$log" &&
     grep -q 'has_editor="1"' "$log"; then
    pass "$name"
  else
    fail "$name" "$log"
  fi
}

qtractor_scan() {
  local scanner log="$out/qtractor-scan.log" name
  scanner="$(package_file qtractor /qtractor_plugin_scan)"
  { echo "VST:$module" | timeout 60 "$scanner"; } >"$log" 2>&1
  name="qtractor scanner: quorlin, 0:2 audio, MIDI in, 8 controls, editor, id 'Qrl '"
  # One line a plug-in: VST|name|audio in:out|MIDI in:out|controls in:out|flags|file|index|id
  if awk -F'|' -v file="$module" '
       $1 == "VST" && $2 == "quorlin" && $3 == "0:2" && $4 == "1:0" && $5 == "8:0" &&
       $6 ~ /(^|,)GUI(,|$)/ && $7 == file && $9 == "0x51726c20" { found = 1 }
       END { exit !found }' "$log"; then
    pass "$name"
  else
    fail "$name" "$log"
  fi
}

qtractor_clap_scan() {
  local scanner clap="$BUILD_DIR/quorlin.clap" log="$out/qtractor-clap-scan.log"
  local name="qtractor scanner, CLAP: Quorlin, 0:2 audio, a note input, 8 parameters, editor"
  scanner="$(package_file qtractor /qtractor_plugin_scan)"
  { echo "CLAP:$clap" | timeout 60 "$scanner"; } >"$log" 2>&1
  if [ -f "$clap" ] && bash "$here/qtractor_clap_row.sh" "$clap" <"$log"; then
    pass "$name"
  else
    fail "$name" "$log"
  fi
}

muse_scan() {
  local log="$out/muse-scan.log" xml="$out/muse-scan.xml" name class
  : >"$xml"  # the scanner only writes into a file that exists
  { timeout 60 muse_plugin_scan -t 16 -f "$module" -o "$xml"; } >"$log" 2>&1
  cat "$xml" >>"$log"
  # Type 16 is a Linux VST; bit 2 of the class marks an instrument; no
  # <inports> means no audio inputs.
  class="$(sed -n 's:.*<class>\([0-9]*\)</class>.*:\1:p' "$xml")"
  name="MusE scanner: quorlin, Linux VST instrument, 0 in, 2 out, 8 controls, id 'Qrl '"
  if grep -q '<name>quorlin</name>' "$xml" && grep -q '<type>16</type>' "$xml" &&
     [ -n "$class" ] && [ $((class & 2)) -ne 0 ] && ! grep -q '<inports>' "$xml" &&
     grep -q '<outports>2</outports>' "$xml" && grep -q '<ctlInports>8</ctlInports>' "$xml" &&
     grep -q '<uniqueID>1366453280</uniqueID>' "$xml"; then
    pass "$name"
  else
    fail "$name" "$log"
  fi
}

run_scanners() {
  linux_ready scanners || return
  ardour_scan
  qtractor_scan
  qtractor_clap_scan
  muse_scan
}

# ardour_lua PLUGIN_PATH LOG EXPECTED ARGUMENTS...: runs ardour_session.lua with
# ARGUMENTS, PLUGIN_PATH ("LXVST_PATH=DIR" or "LV2_PATH=DIR") in its
# environment, and prints how many runs it took. Ardour 7.3 sometimes crashes in
# its own teardown of a session (with its bundled synth as well), now and then
# before its last line is out: a run counts by the line EXPECTED that the
# script prints at its end (and the file it names), not by its exit status,
# and three runs are allowed. A run that builds a session starts afresh.
ardour_lua() {
  local plugin_path="$1" log="$2" expected="$3" attempt
  shift 3
  for attempt in 1 2 3; do
    [ "$1" = reopen ] || rm -rf "$2"
    rm -rf "${expected#*: }"
    { (ulimit -c 0
       env "$plugin_path" timeout 300 ardour7-lua "$here/ardour_session.lua" "$@"); } >"$log" 2>&1
    if grep -q "^$expected" "$log" && [ -s "${expected#*: }" ]; then
      echo "$attempt run(s)"
      return 0
    fi
    cp "$log" "${log%.log}-failed-$attempt.log"
  done
  return 1
}

# The values the saved session's instrument gets through Ardour's controls,
# and the same values as quorlin-host options.
SESSION_PARAMETERS="0=0.9,2=0.6,3=0.05,4=0.5,6=0.35,7=0.3"

# ardour_reopened_session PLUGIN_PATH PLUGIN_NAME HOST: a session whose instrument
# parameters were set through Ardour is saved and closed; a new Ardour opens
# it and exports. The export must sound as quorlin-host does with those
# values, and unlike the defaults ($out/reference.wav).
ardour_reopened_session() {
  local session="$out/saved-session" attempts name
  name="Ardour 7 session: saved with parameters set through Ardour"
  if attempts="$(ardour_lua "$1" "$out/ardour-save.log" "saved: $session" \
                   save "$session" "$2" "$here/melody.txt" "$RATE" "$SESSION_PARAMETERS")"; then
    pass "$name ($attempts)"
  else
    fail "$name" "$out/ardour-save.log"
    return
  fi
  name="Ardour 7 session: reopened by a new Ardour and exported"
  if attempts="$(ardour_lua "$1" "$out/ardour-reopen.log" "exported: $out/reopened.wav" \
                   reopen "$session" "$here/melody.txt" "$RATE" "$out/reopened.wav")"; then
    pass "$name ($attempts)"
  else
    fail "$name" "$out/ardour-reopen.log"
    return
  fi
  "$3" render --plugin "$module" --rate "$RATE" $(printf -- '--param %s ' ${SESSION_PARAMETERS//,/ }) \
    "$out/melody.mid" "$out/reference-set.wav" >"$out/reference-set.log" 2>&1
  check "Ardour 7 reopened session: matches quorlin-host with the values set (normalised correlation >= $MIN_CORRELATION)" \
    "$out/compare-reopened.log" \
    python3 "$here/soundcheck.py" compare "$out/reopened.wav" "$out/reference-set.wav" --min-correlation "$MIN_CORRELATION"
  python3 "$here/soundcheck.py" compare "$out/reopened.wav" "$out/reference.wav" --min-correlation "$MIN_CORRELATION" \
    >"$out/compare-reopened-defaults.log" 2>&1
  if [ $? -eq 1 ] && grep -q "below $MIN_CORRELATION" "$out/compare-reopened-defaults.log"; then
    pass "Ardour 7 reopened session: does not sound as the default program"
  else
    fail "Ardour 7 reopened session: does not sound as the default program" "$out/compare-reopened-defaults.log"
  fi
}

run_ardour() {
  linux_ready ardour || return
  local plugin_name vst_dir="$linux_work/vst"
  # Ardour searches its VST path recursively and opens every file it finds
  # there: give it a folder that holds nothing but the module.
  rm -rf "$vst_dir"
  mkdir -p "$vst_dir"
  cp "$BUILD_DIR/quorlin.so" "$vst_dir/"
  # Ardour trusts a cache entry only when it is newer than the module, to the
  # second, and the scanner stamps it with the current time: date the copy back.
  touch -d "1 minute ago" "$vst_dir/quorlin.so"
  if ! module="$vst_dir/quorlin.so" ardour_scan_into "$out/ardour-scan.log"; then
    fail "Ardour 7 session: the scanner did not take the module" "$out/ardour-scan.log"
    return
  fi
  plugin_name="$(grep -o '<VST2Info [^>]*name="[^"]*"' "$out/ardour-scan.log" | sed 's/.* name="\([^"]*\)"/\1/')"
  ardour_plays "LXVST_PATH=$vst_dir" "$plugin_name"
}

# The LV2 bundle, added by its URI from LV2_PATH, in the same session: it must
# sound as the VST 2 module does in quorlin-host, and Ardour must bring its
# port values back with the saved session (the ports are its whole sound).
run_ardour_lv2() {
  linux_ready ardour-lv2 || return
  mkdir -p "$linux_work/lv2"
  ln -sfn "$BUILD_DIR/quorlin.lv2" "$linux_work/lv2/quorlin.lv2"
  prefix="LV2 bundle: "
  ardour_plays "LV2_PATH=$linux_work/lv2" "lv2:urn:quorlin:instrument"
  prefix=""
}

# ardour_plays PLUGIN_PATH PLUGIN_NAME: a session plays the melody with the
# instrument and exports it; then the saved session.
ardour_plays() {
  local host="$BUILD_DIR/quorlin-host"
  mkdir -p "$XDG_CONFIG_HOME/ardour7/export"
  cp "$here"/ardour-export/* "$XDG_CONFIG_HOME/ardour7/export/"
  local attempts
  if attempts="$(ardour_lua "$1" "$out/ardour.log" "exported: $out/ardour.wav" \
                   render "$out/session" "$2" "$here/melody.txt" "$RATE" "$out/ardour.wav")"; then
    pass "Ardour 7 session: loads the module as a track's instrument and exports the melody ($attempts)"
  else
    fail "Ardour 7 session: loads the module as a track's instrument and exports the melody" "$out/ardour.log"
    return
  fi
  check "Ardour 7 session: right pitches at the right times (within $ARDOUR_TOLERANCE_MS ms)" "$out/ardour-notes.log" \
    python3 "$here/soundcheck.py" notes "$out/ardour.wav" --melody "$here/melody.txt" --tolerance-ms "$ARDOUR_TOLERANCE_MS"
  # The same check must find every note wrong against the melody a semitone up.
  awk '!/^#/ && NF == 4 { $3 += 1 } { print }' "$here/melody.txt" >"$out/melody-up.txt"
  python3 "$here/soundcheck.py" notes "$out/ardour.wav" --melody "$out/melody-up.txt" \
    --tolerance-ms "$ARDOUR_TOLERANCE_MS" >"$out/ardour-notes-up.log" 2>&1
  if [ $? -eq 1 ] && [ "$(grep -c 'wrong or no pitch' "$out/ardour-notes-up.log")" -eq \
                       "$(grep -c '^  note ' "$out/ardour-notes-up.log")" ]; then
    pass "Ardour 7 session: the pitch check rejects the melody a semitone up"
  else
    fail "Ardour 7 session: the pitch check rejects the melody a semitone up" "$out/ardour-notes-up.log"
  fi

  if [ ! -x "$host" ]; then
    fail "Ardour 7 session: no $host to compare with"
    return
  fi
  python3 "$here/soundcheck.py" midi "$here/melody.txt" "$out/melody.mid" &&
    "$host" render --plugin "$module" --rate "$RATE" "$out/melody.mid" "$out/reference.wav" >"$out/reference.log" 2>&1
  if [ ! -s "$out/reference.wav" ]; then
    fail "Ardour 7 session: quorlin-host renders the same melody" "$out/reference.log"
    return
  fi
  check "Ardour 7 session: matches quorlin-host (normalised correlation >= $MIN_CORRELATION)" "$out/compare.log" \
    python3 "$here/soundcheck.py" compare "$out/ardour.wav" "$out/reference.wav" --min-correlation "$MIN_CORRELATION"
  ardour_reopened_session "$1" "$2" "$host"
}

# ------------------------------------------------------------------ Windows

windows_work="$BUILD_DIR_WIN/hosts"
dll="$BUILD_DIR_WIN/quorlin.dll"

# lmms_render DLL NAME: renders the project with DLL into $out/NAME.wav.
# LMMS 1.2 oversamples twice by default and then mangles a VST's output: the
# module, told 88200 Hz, plays the right notes (as a copy of its raw output
# shows), but the mix LMMS writes carries a strong 100 Hz artefact. Its own
# instruments are unaffected. Render without oversampling.
lmms_render() {
  sed "s|@QUORLIN_DLL@|$1|" "$here/lmms/quorlin.mmp" >"$out/$2.mmp"
  { timeout 300 xvfb-run -a lmms --allowroot render "$out/$2.mmp" --oversampling 1 -o "$out/$2.wav"; } >"$out/$2.log" 2>&1
  echo "exit status $?" >>"$out/$2.log"
}

run_lmms() {
  if [ ! -f "$dll" ]; then
    fail "LMMS: no $dll (build the quorlin target in the Windows build folder first)"
    return
  fi
  out="$windows_work/lmms"
  rm -rf "$out"
  mkdir -p "$out"
  use_home "$windows_work/home"
  export WINEPREFIX="$HOME/.wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A first start of Wine builds its prefix; doing it here keeps that out of
  # LMMS's wait for its VST server.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    timeout 300 wineboot --init >"$windows_work/wineboot.log" 2>&1
    timeout 120 wineserver -w
  fi

  lmms_render "$dll" quorlin
  if grep -q "could not be loaded" "$out/quorlin.log" || [ ! -s "$out/quorlin.wav" ]; then
    fail "LMMS 1.2 VeSTige: loads the module and renders the project" "$out/quorlin.log"
    return
  fi
  pass "LMMS 1.2 VeSTige: loads the module and renders the project"
  check "LMMS 1.2 VeSTige: right pitches at the right times (within $LMMS_TOLERANCE_MS ms)" "$out/quorlin-notes.log" \
    python3 "$here/soundcheck.py" notes "$out/quorlin.wav" --lmms "$out/quorlin.mmp" --tolerance-ms "$LMMS_TOLERANCE_MS"

  # LMMS renders a module it cannot load as silence and still exits with 0:
  # the same check must reject that.
  lmms_render "$out/missing/quorlin.dll" missing
  if python3 "$here/soundcheck.py" notes "$out/missing.wav" --lmms "$out/missing.mmp" \
       --tolerance-ms "$LMMS_TOLERANCE_MS" >"$out/missing-notes.log" 2>&1; then
    fail "LMMS 1.2 VeSTige: a missing module renders silence that the check rejects" "$out/missing-notes.log"
  elif grep -q "the file is silent" "$out/missing-notes.log"; then
    pass "LMMS 1.2 VeSTige: a missing module renders silence that the check rejects"
  else
    fail "LMMS 1.2 VeSTige: a missing module renders silence that the check rejects" "$out/missing-notes.log"
  fi
  timeout 60 wineserver -w
}

case "$which" in
  scanners) run_scanners ;;
  ardour) run_ardour ;;
  ardour-lv2) run_ardour_lv2 ;;
  lmms) run_lmms ;;
  all) run_scanners; run_ardour; run_ardour_lv2; run_lmms ;;
esac

echo "hosts: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
