#!/usr/bin/env bash
# Builds and runs the benchmarks: scripts/bench.sh [bridge|bridge-webkit|png|storage|proxy|serving]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
which="${1:-all}"
# Tools the benchmarks compare against.
for tool in wrk nginx unzip bc; do
  command -v "$tool" >/dev/null || { apt-get update -qq && apt-get install -y -qq "$tool" >/dev/null; }
done
if [ "$which" = "all" ] || [ "$which" = "bridge" ]; then
  "$root/build/bench/bench_bridge"
fi
if [ "$which" = "all" ] || [ "$which" = "bridge-webkit" ]; then
  "$root/bench/bridge_webkit.sh"
fi
if [ "$which" = "all" ] || [ "$which" = "png" ]; then
  "$root/bench/png.sh"
fi
if [ "$which" = "all" ] || [ "$which" = "storage" ]; then
  "$root/bench/storage.sh"
fi
if [ "$which" = "all" ] || [ "$which" = "proxy" ]; then
  "$root/bench/proxy.sh"
fi
if [ "$which" = "all" ] || [ "$which" = "serving" ]; then
  "$root/bench/serving.sh"
fi
