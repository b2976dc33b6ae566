#!/usr/bin/env bash
# Round trips in the real web view against a bare WebKitGTK echo, then the
# time from process start to the page's load-finished event (median of 5).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"

xvfb-run -a -s "-screen 0 1280x800x24" "$build/bench/bench_bridge_webkit"

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
times=()
for _ in 1 2 3 4 5; do
  line="$(HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" \
    XDG_STATE_HOME="$home/state" xvfb-run -a -s "-screen 0 1280x800x24" \
    "$build/atelier" --print-load-time --screenshot "$home/shot.png" | awk '/load finished after/ {print $4}')"
  times+=("$line")
done
median="$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)"
echo "process start to page loaded: median ${median} ms (runs: ${times[*]})"
