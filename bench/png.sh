#!/usr/bin/env bash
# The streaming PNG writer against libpng (default settings, row by row from
# the same slices) and libvips pngsave, each in its own process: time, output
# size and peak resident memory, and the ratios to Atelier's writer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
size="${SIZE:-10000}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

declare -A seconds bytes memory
for writer in atelier libpng vips; do
  /usr/bin/time -f "%M" -o "$work/$writer.mem" "$build/bench/bench_png" "$writer" "$work/$writer.png" "$size" \
    > "$work/$writer.out"
  seconds[$writer]="$(awk '{print $2}' "$work/$writer.out")"
  bytes[$writer]="$(stat -c %s "$work/$writer.png")"
  memory[$writer]="$(tail -n 1 "$work/$writer.mem")"
done

echo "${size} x ${size} RGBA, text-like content"
printf '%-8s %9s %14s %12s %11s %11s %11s\n' writer seconds bytes peak_KiB time/atelier size/atelier mem/atelier
for writer in atelier libpng vips; do
  printf '%-8s %9s %14s %12s %11s %11s %11s\n' "$writer" "${seconds[$writer]}" "${bytes[$writer]}" "${memory[$writer]}" \
    "$(awk -v a="${seconds[$writer]}" -v b="${seconds[atelier]}" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v a="${bytes[$writer]}" -v b="${bytes[atelier]}" 'BEGIN { printf "%.2f", a / b }')" \
    "$(awk -v a="${memory[$writer]}" -v b="${memory[atelier]}" 'BEGIN { printf "%.2f", a / b }')"
done
