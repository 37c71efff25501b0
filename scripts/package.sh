#!/usr/bin/env bash
# Builds the three targets in Release and makes their packages with CPack,
# leaving five files in packages/: for Linux x86-64 a .deb and a .tar.gz, for
# Windows a .zip for 32-bit and one for 64-bit hosts, and their SHA256SUMS. Uses the build
# folders scripts/test.sh uses (build, build-win, build-win64), so after a
# test run it only packs.
# Usage: scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build windows package python
# shellcheck source=scripts/builds.sh
source scripts/builds.sh

rm -rf packages
mkdir packages
for target in linux i686 x86_64; do
  dir=$(build_dir "$target")
  configure_build "$target"
  rm -rf "$dir/packages"
  if ! cmake --build "$dir" -j"$(nproc 2>/dev/null || echo 2)" --target package >"$dir/package.log" 2>&1; then
    tail -n 30 "$dir/package.log" >&2
    echo "package: packing the $target build failed; full log in $dir/package.log" >&2
    exit 1
  fi
  cp "$dir"/packages/quorlin* packages/
done
# For checking a download: sha256sum -c SHA256SUMS --ignore-missing
(cd packages && sha256sum quorlin* >SHA256SUMS)
ls -l packages | tail -n +2 | awk '{ print "package: packages/" $NF " (" $5 " bytes)" }'
count=$(find packages -maxdepth 1 -type f | wc -l)
[ "$count" -eq 5 ] || { echo "package: made $count files, not 5" >&2; exit 1; }
