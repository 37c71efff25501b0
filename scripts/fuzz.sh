#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14, replays every committed input
# (seed corpora and regressions) under AddressSanitizer and
# UndefinedBehaviorSanitizer, then fuzzes each target for a bounded time and
# prints its executions and corpus size. Fails on any crash, sanitizer report
# or broken invariant; the input that did it is left in BUILD/crashes/.
# Usage: scripts/fuzz.sh [SECONDS_PER_FUZZER]   (default 60; env FUZZ_BUILD_DIR, default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=$(nproc 2>/dev/null || echo 2)
fuzzers=(plugin_fuzzer midi_file_fuzzer preset_file_fuzzer)

CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DQUORLIN_FUZZ=ON -DQUORLIN_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target "${fuzzers[@]}" >/dev/null
mkdir -p "$build/crashes"

for fuzzer in "${fuzzers[@]}"; do
  # Every committed input once, in a process of its own for each folder.
  for folder in fuzz/regressions/$fuzzer fuzz/corpus/$fuzzer; do
    [ -d "$folder" ] || continue
    shopt -s nullglob
    inputs=("$folder"/*)
    shopt -u nullglob
    [ ${#inputs[@]} -eq 0 ] && continue
    if ! "$build/$fuzzer" "${inputs[@]}" >"$build/$fuzzer.replay.log" 2>&1; then
      tail -n 30 "$build/$fuzzer.replay.log" >&2
      echo "fuzz: $fuzzer fails on a committed input in $folder" >&2
      exit 1
    fi
  done
  echo "fuzz: $fuzzer: every committed input passes"

  # The working corpus starts from the seeds and grows while fuzzing; the
  # committed seeds are only read.
  work="$build/corpus/$fuzzer"
  mkdir -p "$work"
  if ! "$build/$fuzzer" "$work" "fuzz/corpus/$fuzzer" -max_total_time="$seconds" -timeout=60 \
      -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/crashes/$fuzzer-" \
      >"$build/$fuzzer.log" 2>&1; then
    tail -n 40 "$build/$fuzzer.log" >&2
    echo "fuzz: $fuzzer failed; the input is in $build/crashes/ (commit it to fuzz/regressions/$fuzzer/ once mended)" >&2
    exit 1
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$fuzzer.log")
  files=$(find "$work" -type f | wc -l)
  bytes=$(find "$work" -type f -printf '%s\n' | awk '{ total += $1 } END { print total + 0 }')
  echo "fuzz: $fuzzer: $executions executions in ${seconds} s, corpus of $files inputs ($bytes bytes), no failure"
done
