#!/usr/bin/env bash
# The main job: builds the module and quorlin-host, renders the demo song to
# demo.wav and prints the render's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUORLIN_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target quorlin quorlin-host >/dev/null
params=$(grep -E '^--param' examples/README 2>/dev/null | tr '\n' ' ' || true)
# shellcheck disable=SC2086
build/quorlin-host render $params examples/demo.mid demo.wav
