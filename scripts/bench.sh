#!/usr/bin/env bash
# Builds and runs the benchmarks: scripts/bench.sh [bridge]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
which="${1:-all}"
if [ "$which" = "all" ] || [ "$which" = "bridge" ]; then
  "$root/build/bench/bench_bridge"
fi
