#!/usr/bin/env bash
# Builds both targets and runs every test: the README's test command.
# Usage: scripts/test.sh [stage...]   (default: all stages in order)
# Stages: deps linux windows sanitize hosts
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
}

stage_sanitize() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_SANITIZE=ON >/dev/null
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j"$jobs")
}

stage_hosts() {
  BUILD_DIR="$root/build" BUILD_DIR_WIN="$root/build-win" bash tests/hosts/run.sh all
}

stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(deps linux windows sanitize hosts)
for stage in "${stages[@]}"; do
  echo "== $stage" >&2
  "stage_$stage"
done
