#!/usr/bin/env bash
# The main job: builds the module, quorlin-host and the Python package (with
# the LV2 bundle it plays by default), renders the demo song to demo.wav and
# prints the render's summary line. Shares the build folder with
# scripts/test.sh, configured the same way, and builds only these.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build python
# shellcheck source=scripts/builds.sh
source scripts/builds.sh
build_targets linux quorlin quorlin-host quorlin_python >/dev/null
params=$(grep -E '^--param' examples/README 2>/dev/null | tr '\n' ' ' || true)
# shellcheck disable=SC2086
build/quorlin-host render $params examples/demo.mid demo.wav
