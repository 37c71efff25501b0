#!/usr/bin/env bash
# Builds both targets and runs every test: the README's test command.
# Usage: scripts/test.sh [stage...]   (default: all stages in order)
# Stages: deps linux windows crosscheck sanitize tsan valgrind fuzz hosts bench
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

stage_deps() {
  bash scripts/install-deps.sh build windows editor hosts fuzz bench
}

stage_linux() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$jobs"
  (cd build && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j"$jobs")
}

stage_windows() {
  bash scripts/test-windows.sh build-win
  bash scripts/test-editor-wine.sh build build-win
  bash scripts/test-editor-wine-mouse.sh build build-win
}

# The same song rendered by the Linux and the Windows build must be the same
# file, byte for byte.
stage_crosscheck() {
  local params
  params=$(grep -E '^--param' examples/README | tr '\n' ' ')
  # shellcheck disable=SC2086
  build/quorlin-host render --quiet $params examples/demo.mid build/demo-linux.wav
  # shellcheck disable=SC2086
  WINEPREFIX="$root/build-win/wineprefix" WINEARCH=win32 WINEDEBUG=-all \
    wine build-win/quorlin-host.exe render --quiet $params examples/demo.mid build-win/demo-windows.wav
  cmp build/demo-linux.wav build-win/demo-windows.wav
  echo "crosscheck: Linux and Windows renders of the demo are identical" >&2
}

stage_sanitize() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_SANITIZE=ON >/dev/null
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j"$jobs")
}

# The tests where threads meet (the stress and editor tests, among them a
# host that renders, changes programs and opens the editor at once) built
# with ThreadSanitizer; the first report fails the stage. Only what those
# tests run is built.
stage_tsan() {
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_TSAN=ON >/dev/null
  cmake --build build-tsan -j"$jobs" --target quorlin quorlin-host quorlin_panel_generator \
    stress_tests editor_stress_tests editor_plain_host_tests live_changes_tests busy_host_tests fuzz_input_tests \
    editor_model_tests editor_window_tests editor_module_tests editor_screenshot_tests
  (cd build-tsan && TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$root/tests/tsan_suppressions.txt" \
     xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j"$jobs" -L 'stress|editor')
}

stage_valgrind() {
  bash scripts/valgrind-demo.sh
}

# A minute of fuzzing for each fuzzer, after every committed input is replayed.
stage_fuzz() {
  bash scripts/fuzz.sh 60
}

# The benchmarks must keep running; their figures are printed, never asserted.
stage_bench() {
  "${build_dir:-build}"/quorlin_engine_bench --benchmark_min_time=0.01 --benchmark_filter='<SynthEngine>'
  bench/compare --build "${build_dir:-build}" --runs 5
}

stage_hosts() {
  BUILD_DIR="$root/build" BUILD_DIR_WIN="$root/build-win" bash tests/hosts/run.sh all
}

stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(deps linux windows crosscheck sanitize tsan valgrind fuzz hosts bench)
for stage in "${stages[@]}"; do
  echo "== $stage" >&2
  "stage_$stage"
done
