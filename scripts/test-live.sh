#!/usr/bin/env bash
# `quorlin-host play` over JACK with no sound card. Each case starts a jackd
# of its own on the dummy backend (stopped by its process id; synchronous, so
# that on a busy machine a late client delays the cycle instead of missing
# it). tests/live/live_test_clients plays MIDI into play from a port flagged
# physical, which appears while play runs, and records play's outputs. JACK
# hands data on within the cycle (player, play, recorder), so the recording is
# shifted by 0 frames against the song: it must equal `quorlin-host render` of
# the song with the period as the block size, byte for byte.
# tests/live/audio_thread_allocations is preloaded into play, whose audio
# thread must allocate nothing.
# Usage: scripts/test-live.sh [BUILD_DIR]   (default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d)
rate=48000 server_pid="" play_pid="" failures=0

fail() { echo "test-live: FAIL: $*" >&2 && failures=$((failures + 1)); }

stop_server() {
  [ -z "$server_pid" ] || { kill "$server_pid" && wait "$server_pid"; } 2>/dev/null || true
  server_pid=""
}
trap '[ -z "$play_pid" ] || kill -KILL "$play_pid" 2>/dev/null; stop_server; rm -rf "$scratch"' EXIT

# Starts a server with that period, and play (with the options given), and
# waits for play's connections: no MIDI source yet.
start() { # PERIOD [PLAY-OPTION...]
  # JACK has eight server slots and frees a dead server's slot only for a new
  # server of the same name: one fixed name keeps a killed run from using one up.
  export JACK_DEFAULT_SERVER="quorlin-live-test"
  jackd --no-realtime --sync --timeout 5000 -n "$JACK_DEFAULT_SERVER" -d dummy -r "$rate" -p "$1" \
    >"$scratch/jackd.log" 2>&1 &
  server_pid=$!
  jack_wait -w -t 10 >/dev/null 2>&1
  LD_PRELOAD="$build/audio_thread_allocations.so" QUORLIN_ALLOCATION_REPORT="$scratch/allocations" \
    "$build/quorlin-host" play --no-editor --name instrument "${@:2}" >"$scratch/play.out" 2>"$scratch/play.err" &
  play_pid=$!
  until grep -q "no MIDI sources found yet" "$scratch/play.out"; do
    kill -0 "$play_pid" 2>/dev/null || { cat "$scratch/play.err" >&2 && exit 1; }
    sleep 0.05
  done
}

wait_play() { # CASE EXPECTED-STATUS: 0 (and no allocation), or non-zero
  local status=0
  wait "$play_pid" || status=$?
  play_pid=""
  [ "$2" = non-zero ] && [ "$status" -ne 0 ] && return
  [ "$status" -eq 0 ] && [ "$(cat "$scratch/allocations")" = "1 0" ] && return
  fail "$1: status $status, audio threads and allocations $(cat "$scratch/allocations"): $(cat "$scratch/play.err")"
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
song("period_change.mid", note(10, 300, 57) + note(40, 200, 64) + note(1920, 400, 69) + note(1990, 500, 76), 2600)
song("held.mid", [(50, [0x90, 60, 100])], 480)
PYTHON

# Three periods, and a period that grows from 256 to 1024 in the silence
# between the song's halves: PERIOD SONG RENDER-BLOCK CLIENT-OPTIONS...
for case in "64 played 64" "256 played 256" "1024 played 1024" "256 period_change 1024 --period 1024@48000"; do
  # shellcheck disable=SC2086 # the case's words are its fields
  set -- $case
  start "$1"
  "$build/live_test_clients" instrument "$scratch/$2.mid" "$scratch/live.wav" 24000 "${@:4}" >/dev/null ||
    fail "$case: the test clients failed"
  kill -INT "$play_pid"
  wait_play "$case" 0
  "$build/quorlin-host" render --quiet --rate "$rate" --block "$3" --tail 0.5 "$scratch/$2.mid" "$scratch/render.wav"
  cmp -s "$scratch/live.wav" "$scratch/render.wav" || fail "$case: the recording differs from the render"
  stop_server
done
grep -q "now runs at $rate Hz, 1024 frames a period" "$scratch/play.out" || fail "period change: not followed"

# A CLAP instrument (the tool tests' module, its notes as CLAP note events)
# plays as it renders too, with nothing allocated on the audio thread.
clap=(--plugin "$build/tool_clap_test_plugin.clap#org.quorlin.test.clap-notes")
start 256 "${clap[@]}"
"$build/live_test_clients" instrument "$scratch/played.mid" "$scratch/live.wav" 24000 >/dev/null ||
  fail "CLAP: the test clients failed"
kill -INT "$play_pid"
wait_play "CLAP" 0
"$build/quorlin-host" render --quiet "${clap[@]}" --rate "$rate" --block 256 --tail 0.5 "$scratch/played.mid" \
  "$scratch/render.wav"
cmp -s "$scratch/live.wav" "$scratch/render.wav" || fail "CLAP: the recording differs from the render"
stop_server

# Ctrl-C while a note is held: the note-off reaches the instrument (its
# release is 0), so the last period play renders is silent.
start 256
report=$("$build/live_test_clients" instrument "$scratch/held.mid" "$scratch/live.wav" 96000 --stop "$play_pid") ||
  fail "held note: the test clients failed"
wait_play "held note" 0
[[ "$report" =~ peak\ 0\.[0-9]+,\ the\ last\ ([0-9]+)\ silent ]] && [ "${BASH_REMATCH[1]}" -ge 256 ] ||
  fail "held note: not sound and then a silent period: $report"
stop_server

# The server going away ends play within two seconds.
start 256
started=$(date +%s%N)
stop_server
for _ in $(seq 40); do kill -0 "$play_pid" 2>/dev/null && sleep 0.05; done
kill -0 "$play_pid" 2>/dev/null && fail "server gone: play still runs after $((($(date +%s%N) - started) / 1000000)) ms"
wait_play "server gone" non-zero
# A server that goes away leaves its clients' semaphores behind.
rm -f /dev/shm/jack_sem.*_"$JACK_DEFAULT_SERVER"_*

# No server: one line, and none started.
export JACK_DEFAULT_SERVER="quorlin-live-test-none" JACK_NO_START_SERVER=1
status=0
"$build/quorlin-host" play --no-editor >"$scratch/play.out" 2>"$scratch/play.err" || status=$?
[ "$status" -ne 0 ] && [ "$(wc -l <"$scratch/play.err")" -eq 1 ] && [ ! -s "$scratch/play.out" ] ||
  fail "no server: status $status and, instead of one line: $(cat "$scratch/play.out" "$scratch/play.err")"
[ "$(jack_wait -c 2>/dev/null)" = "not running" ] || fail "no server: a server was started"

[ "$failures" -eq 0 ] && echo "test-live: all cases passed"
[ "$failures" -eq 0 ]
