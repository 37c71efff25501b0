#!/usr/bin/env bash
# Renders the demo song through the Linux module under valgrind's memcheck:
# quorlin-host loads quorlin.so as any host would, so the module's whole life
# (load, instance, programs, every block of the song, close, unload) is
# checked. Fails on any memory error and on any leak, definite, indirect or
# possible.
# Usage: scripts/valgrind-demo.sh   (env BUILD_DIR, default build-valgrind)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-valgrind}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target quorlin quorlin-host >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
params=$(grep -E '^--param' examples/README | tr '\n' ' ')
# shellcheck disable=SC2086
if ! valgrind --tool=memcheck --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 --track-origins=yes \
    --log-file="$out/memcheck.log" \
    "$build/quorlin-host" render --quiet --plugin "$build/quorlin.so" $params examples/demo.mid "$out/demo.wav"; then
  cat "$out/memcheck.log" >&2
  echo "valgrind-demo: memcheck found errors or leaks (or the render failed)" >&2
  exit 1
fi
grep -E 'ERROR SUMMARY|in use at exit|definitely lost|indirectly lost|possibly lost|All heap blocks' "$out/memcheck.log" |
  sed 's/^==[0-9]*== */valgrind-demo: /'
echo "valgrind-demo: demo song rendered ($(stat -c %s "$out/demo.wav") bytes of WAV), zero errors, zero leaks"
