#!/usr/bin/env bash
# Import of 5,000 small files into update.db against the plain baseline
# (unzip to a folder, then one sqlite3 transaction inserting the same rows),
# then reads of a compressed JSON through the layered storage.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$build/bench/bench_storage" make-archive "$work/files.zip"
echo "archive: $(unzip -l "$work/files.zip" | tail -n 1 | awk '{print $2}') files, $(stat -c %s "$work/files.zip") bytes"

mkdir -p "$work/atelier"
atelier="$("$build/bench/bench_storage" import "$work/files.zip" "$work/atelier")"

baseline_start=$(date +%s.%N)
unzip -q "$work/files.zip" -d "$work/unpacked"
{
  cat "$root/resources/version1.sql"
  echo "BEGIN;"
  (cd "$work/unpacked" && find . -type f -printf '%P\n') | awk -v dir="$work/unpacked" '{
    parent = $0; sub(/\/[^\/]*$/, "", parent)
    printf "INSERT INTO tbl_file SELECT '\''%s'\'','\''%s'\'',0,length(d),d FROM (SELECT readfile('\''%s/%s'\'') AS d);\n", $0, parent, dir, $0
  }'
  echo "COMMIT;"
} > "$work/baseline.sql"
sqlite3 "$work/baseline.db" < "$work/baseline.sql"
baseline="$(echo "$(date +%s.%N) - $baseline_start" | bc)"

printf 'import: atelier %.3f s, unzip + sqlite3 %.3f s, ratio atelier/baseline %.2f\n' "$atelier" "$baseline" \
  "$(echo "$atelier / $baseline" | bc -l)"
"$build/bench/bench_storage" reads "$work"
