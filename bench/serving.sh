#!/usr/bin/env bash
# wrk against "_webapp" static files of 1 KB, 64 KB and 1 MB, served by
# Atelier and, side by side in the same run, by nginx (sendfile on, one worker
# per core) from the same folder, with the same connections and duration.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
duration="${DURATION:-10s}"
connections="${CONNECTIONS:-32}"
threads="${THREADS:-2}"

source "$root/bench/lib.sh"
# The build's resources (the data route needs its schema script), plus the files.
cp -r "$build/Resources" "$work/resources"
webapp="$work/resources/sync/webapp"
echo '<!doctype html><title>bench</title>' > "$webapp/index.html"
head -c 1024 /dev/urandom > "$webapp/f1k.bin"
head -c 65536 /dev/urandom > "$webapp/f64k.bin"
head -c 1048576 /dev/urandom > "$webapp/f1m.bin"

start_atelier_server

# nginx on another loopback port
nginx_port=$((atelier_port == 65000 ? 65001 : 65000))
start_nginx <<CONF
  sendfile on;
  tcp_nopush on;
  types { text/html html; application/octet-stream bin; }
  server {
    listen 127.0.0.1:$nginx_port;
    location /_webapp/ { alias $webapp/; }
  }
CONF
sleep 0.3

measure() {  # url -> "requests/s p99"
  wrk -t"$threads" -c"$connections" -d"$duration" --latency "$1" > "$work/wrk.out"
  local rps p99
  if grep -q "Non-2xx" "$work/wrk.out"; then
    echo "error responses from $1:" >&2
    cat "$work/wrk.out" >&2
    exit 1
  fi
  rps="$(awk '/Requests\/sec/ {print $2}' "$work/wrk.out")"
  p99="$(awk '$1 == "99%" {print $2}' "$work/wrk.out")"
  echo "$rps $p99"
}

printf '%-6s %14s %10s %14s %10s %8s\n' size atelier_rps p99 nginx_rps p99 ratio
for file in f1k f64k f1m; do
  read -r a_rps a_p99 < <(measure "http://127.0.0.1:$atelier_port/_webapp/$file.bin")
  read -r n_rps n_p99 < <(measure "http://127.0.0.1:$nginx_port/_webapp/$file.bin")
  printf '%-6s %14s %10s %14s %10s %8s\n' "$file" "$a_rps" "$a_p99" "$n_rps" "$n_p99" "$(ratio "$a_rps" "$n_rps")"
done
