#!/usr/bin/env bash
# `quorlin-host play` with no sound card, on the two servers play is used
# with, each started here for a case and stopped by its process id:
#  - jackd on its dummy backend, synchronous, so that on a busy machine a
#    late client delays the cycle instead of missing it;
#  - PipeWire (Debian's, its JACK library through pw-jack) with a runtime
#    folder of its own and a minimal configuration: no session manager, no
#    D-Bus, a null sink that drives the graph with its ports flagged
#    physical, as a sound card's are.
# tests/live/live_test_clients plays MIDI into play from a port flagged
# physical, which appears while play runs, and records play's outputs. The
# server hands data on within the cycle (player, play, recorder), so the
# recording is shifted by 0 frames against the song: it must equal
# `quorlin-host render` of the song, byte for byte. On each server:
#  - a song at periods of 64, 256 and 1024 frames (PipeWire: 1024);
#  - a note held through the server's period growing fourfold and back, from
#    256 (jack_bufsize), or doubling from 1024 (PipeWire's
#    clock.force-quantum), with Quorlin as a VST 2 module and as an LV2
#    bundle, with the LV2 probe, which makes a single instance in a process
#    and logs each note-on from its run (its messages must reach play's
#    standard error), and with the tool tests' CLAP module (its notes as CLAP
#    note events);
#  - Ctrl-C while a note with a release of 0.9 s is held: the release sounds
#    out, and play ends once the sound has died away;
#  - the server going away ends play within two seconds.
# Every time, tests/live/audio_thread_audit is preloaded into play, whose
# audio thread must neither allocate nor print. And with no server, play
# says so in one line and starts none.
# Usage: scripts/test-live.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d)
rate=48000 server="" server_pid="" play_pid="" failures=0
# How a JACK client runs on the server at hand: pw-jack for PipeWire.
client=()

fail() { echo "test-live: FAIL: $server: $*" >&2 && failures=$((failures + 1)); }

stop_server() {
  [ -z "$server_pid" ] || { kill "$server_pid" && wait "$server_pid"; } 2>/dev/null || true
  server_pid=""
  # A server that goes away leaves its clients' semaphores behind.
  rm -f /dev/shm/jack_sem.*_quorlin-live-test_*
}
trap '{ [ -z "$play_pid" ] || kill -KILL "$play_pid"; } 2>/dev/null || true; stop_server; rm -rf "$scratch"' EXIT

# PipeWire's configuration: the modules a JACK client and its links need,
# and the null sink as the only driver.
pipewire_config() { # PERIOD
  cat <<EOF
context.properties = {
    core.daemon = true
    core.name = pipewire-0
    support.dbus = false
    default.clock.rate = $rate
    default.clock.allowed-rates = [ $rate ]
    default.clock.quantum = $1
    default.clock.min-quantum = 16
    default.clock.max-quantum = 8192
}
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.* = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
    { name = libpipewire-module-access }
]
context.objects = [
    { factory = adapter
        args = {
            factory.name = support.null-audio-sink
            node.name = system
            media.class = Audio/Sink
            audio.position = [ FL FR ]
            node.driver = true
            node.physical = true
            priority.driver = 1000
            adapter.auto-port-config = { mode = dsp monitor = false control = false position = preserve }
        }
    }
]
EOF
}

start_server() { # PERIOD
  if [ "$server" = jackd ]; then
    # JACK has eight server slots and frees a dead server's slot only for a new
    # server of the same name: one fixed name keeps a killed run from using one up.
    export JACK_DEFAULT_SERVER="quorlin-live-test"
    jackd --no-realtime --sync --timeout 5000 -n "$JACK_DEFAULT_SERVER" -d dummy -r "$rate" -p "$1" \
      >"$scratch/server.log" 2>&1 &
    server_pid=$!
    for _ in $(seq 250); do
      [ "$(jack_wait -c 2>/dev/null)" = running ] && break
      sleep 0.02
    done
  else
    unset JACK_DEFAULT_SERVER
    export XDG_RUNTIME_DIR="$scratch/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    pipewire_config "$1" >"$scratch/pipewire.conf"
    PIPEWIRE_DEBUG=1 pipewire -c "$scratch/pipewire.conf" >"$scratch/server.log" 2>&1 &
    server_pid=$!
    for _ in $(seq 100); do
      pw-jack jack_lsp 2>/dev/null | grep -q '^system:playback_FR$' && break
      sleep 0.05
    done
  fi
}

# A new period for the running server, as a command line.
period_command() { # PERIOD
  if [ "$server" = jackd ]; then
    echo "jack_bufsize $1 >/dev/null"
  else
    echo "pw-metadata -n settings 0 clock.force-quantum $1 >/dev/null"
  fi
}

# Starts play with those options and waits for its connections: no MIDI
# source yet.
start_play() { # PLAY-OPTIONS...
  rm -f "$scratch/audit"
  LD_PRELOAD="$build/audio_thread_audit.so" QUORLIN_AUDIT_REPORT="$scratch/audit" \
    "${client[@]}" "$build/quorlin-host" play --no-editor --name instrument "$@" >"$scratch/play.out" 2>"$scratch/play.err" &
  play_pid=$!
  until grep -q "no MIDI sources found yet" "$scratch/play.out"; do
    if ! kill -0 "$play_pid" 2>/dev/null; then
      play_pid=""
      fail "play $*: did not start: $(cat "$scratch/play.err")"
      return 1
    fi
    sleep 0.05
  done
}

wait_play() { # CASE EXPECTED-STATUS: 0 (and nothing done on the audio thread), or non-zero
  local status=0
  wait "$play_pid" || status=$?
  play_pid=""
  [ "$2" = non-zero ] && [ "$status" -ne 0 ] && return
  [ "$status" -eq 0 ] && [ "$(cat "$scratch/audit")" = "1 0 0" ] && return
  fail "$1: status $status, audio threads, allocations and prints $(cat "$scratch/audit" 2>/dev/null): $(tail -n 3 "$scratch/play.err")"
}

# CASE PERIOD SONG PLAY-OPTIONS -- CLIENT-OPTIONS: the song played through
# play (with those options) on a server of that period, recorded, and
# compared with its render. When the server left a test client out of a
# cycle (PipeWire on a busy machine), the recording is not one to compare:
# the case runs again, three times at most.
same_as_render() {
  local name=$1 period=$2 song=$3 options=() attempt status
  shift 3
  while [ "$1" != -- ]; do options+=("$1") && shift; done
  shift
  for attempt in 1 2 3; do
    start_server "$period"
    start_play "${options[@]}" || { stop_server && return; }
    status=0
    "${client[@]}" "$build/live_test_clients" instrument "$scratch/$song.mid" "$scratch/live.wav" 4800 "$@" \
      >/dev/null || status=$?
    kill -INT "$play_pid" 2>/dev/null || true
    wait_play "$name" 0
    stop_server
    [ "$status" -eq 3 ] || break
    echo "test-live: $server: $name: the server skipped a cycle of the test clients (attempt $attempt)" >&2
  done
  [ "$status" -eq 0 ] || fail "$name: the test clients failed with status $status"
  "$build/quorlin-host" render --quiet --rate "$rate" --block "$period" --tail 0.1 "${options[@]}" \
    "$scratch/$song.mid" "$scratch/render.wav" 2>/dev/null
  cmp -s "$scratch/live.wav" "$scratch/render.wav" || fail "$name: the recording differs from the render"
}

# Ticks of 50.1 frames put events on frames of every kind.
python3 - "$scratch" <<'PYTHON'
import sys
sys.path.insert(0, "scripts")
from smf import header, track
def song(name, events, end):
    with open(f"{sys.argv[1]}/{name}", "wb") as out:
        out.write(header(0, 1, 479) + track([(t, i, b) for i, (t, b) in enumerate(events)], end))
def note(start, length, key, velocity=100):
    return [(start, [0x90, key, velocity]), (start + length, [0x80, key, 0])]
played = [(3, [0xB0, 7, 110]), (200, [0xB0, 1, 64]), (333, [0xE0, 0, 80]), (555, [0xB0, 10, 20]), (701, [0xE0, 0, 64])]
played += note(7, 393, 60) + note(61, 639, 64, 90) + note(113, 587, 67, 80) + note(401, 499, 72, 127)
played += sum((note(901 + 13 * step, 11, 62 + step, 60 + 8 * step) for step in range(8)), [])
song("played.mid", played, 1100)
# Held from before the period grows (frame 24000, tick 479) to after it shrinks (frame 48000).
song("held_through.mid", note(10, 1400, 57) + note(430, 600, 64), 1500)
song("held.mid", [(50, [0x90, 60, 100])], 480)
PYTHON

for server in jackd pipewire; do
  # PipeWire drives its graph from a timer and, unlike jackd --sync, does not
  # wait for a late client: on a busy machine of two cores, periods shorter
  # than 1024 frames (21 ms) miss cycles there.
  if [ "$server" = jackd ]; then
    client=() periods=(64 256 1024) usual=256 grown=1024
  else
    client=(pw-jack) periods=(1024) usual=1024 grown=2048
  fi
  for period in "${periods[@]}"; do
    same_as_render "played at $period" "$period" played --
  done

  changes=(--at 24000 "$(period_command "$grown")" --at 48000 "$(period_command "$usual")")
  same_as_render "held through period changes" "$usual" held_through -- "${changes[@]}"
  same_as_render "held through period changes, LV2" "$usual" held_through --plugin "$build/quorlin.lv2" -- \
    "${changes[@]}"
  same_as_render "held through period changes, LV2 probe" "$usual" held_through --plugin "$build/lv2_probe.lv2" -- \
    "${changes[@]}"
  [ "$(grep -c '^LV2 probe: note on \(57\|64\) at' "$scratch/play.err")" -eq 2 ] ||
    fail "LV2 probe: its two note-on messages are not on standard error: $(tail -n 3 "$scratch/play.err")"
  same_as_render "held through period changes, CLAP" "$usual" held_through \
    --plugin "$build/tool_clap_test_plugin.clap#org.quorlin.test.clap-notes" -- "${changes[@]}"

  # Ctrl-C with a note held: the note-off reaches the instrument, whose 0.9 s
  # release sounds out; play stops once 100 ms have been quiet.
  start_server "$usual"
  if start_play --param 5=0.9; then
    # A cycle the server skipped (status 3) moves the end by no more than that cycle.
    report=$("${client[@]}" "$build/live_test_clients" instrument "$scratch/held.mid" "$scratch/live.wav" 96000 \
      --stop "$play_pid") || [ $? -eq 3 ] || fail "tail: the test clients failed"
    wait_play "tail" 0
    [[ "$report" =~ the\ last\ ([0-9]+)\ silent,\ sound\ until\ ([0-9]+)\ frames ]] &&
      [ "${BASH_REMATCH[1]}" -ge 4800 ] && [ "${BASH_REMATCH[2]}" -ge $((rate * 8 / 10)) ] ||
      fail "tail: not 0.8 s of release and then 100 ms of quiet: $report"
  fi
  stop_server

  # The server going away ends play within two seconds.
  start_server "$usual"
  if start_play; then
    started=$(date +%s%N)
    stop_server
    for _ in $(seq 40); do kill -0 "$play_pid" 2>/dev/null && sleep 0.05; done
    if kill -0 "$play_pid" 2>/dev/null; then
      fail "server gone: play still runs after $((($(date +%s%N) - started) / 1000000)) ms"
      kill -KILL "$play_pid"
    fi
    wait_play "server gone" non-zero
  fi
done

# No server: one line, and none started.
server=jackd
export JACK_DEFAULT_SERVER="quorlin-live-test-none" JACK_NO_START_SERVER=1
status=0
"$build/quorlin-host" play --no-editor >"$scratch/play.out" 2>"$scratch/play.err" || status=$?
[ "$status" -ne 0 ] && [ "$(wc -l <"$scratch/play.err")" -eq 1 ] && [ ! -s "$scratch/play.out" ] ||
  fail "no server: status $status and, instead of one line: $(cat "$scratch/play.out" "$scratch/play.err")"
[ "$(jack_wait -c 2>/dev/null)" = "not running" ] || fail "no server: a server was started"

[ "$failures" -eq 0 ] && echo "test-live: all cases passed"
[ "$failures" -eq 0 ]
