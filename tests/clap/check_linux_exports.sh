#!/usr/bin/env bash
# A Linux plug-in module exports exactly the dynamic symbols EXPORTS (a
# space-separated list), not even the linker's own.
# Usage: check_linux_exports.sh MODULE EXPORTS
set -euo pipefail
exports=$(nm -D --defined-only "$1" | awk '{ print $3 }' | sort | tr '\n' ' ')
echo "$(basename "$1") exports $exports"
[ "$exports" = "$(tr ' ' '\n' <<<"$2" | sort | tr '\n' ' ')" ]
