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
# Name → command; "all" runs them in this order.
benchmarks=(
  "bridge:$root/build/bench/bench_bridge"
  "bridge-webkit:$root/bench/bridge_webkit.sh"
  "png:$root/bench/png.sh"
  "storage:$root/bench/storage.sh"
  "proxy:$root/bench/proxy.sh"
  "serving:$root/bench/serving.sh"
)
for entry in "${benchmarks[@]}"; do
  name="${entry%%:*}"
  if [ "$which" = "all" ] || [ "$which" = "$name" ]; then
    "${entry#*:}"
  fi
done
