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

work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null; rm -rf "$work"' EXIT

chmod 755 "$work"  # nginx workers run as another user
webapp="$work/resources/sync/webapp"
mkdir -p "$webapp" "$work/home"
echo '<!doctype html><title>bench</title>' > "$webapp/index.html"
head -c 1024 /dev/urandom > "$webapp/f1k.bin"
head -c 65536 /dev/urandom > "$webapp/f64k.bin"
head -c 1048576 /dev/urandom > "$webapp/f1m.bin"

# Atelier
HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
XDG_CACHE_HOME="$work/home/cache" XDG_STATE_HOME="$work/home/state" \
  "$build/bench/bench_serving_server" --resources "$work/resources" > "$work/atelier.out" 2>&1 &
for _ in $(seq 100); do grep -q '^port' "$work/atelier.out" 2>/dev/null && break; sleep 0.05; done
atelier_port="$(awk '/^port/ {print $2}' "$work/atelier.out")"

# nginx on another loopback port
nginx_port=$((atelier_port == 65000 ? 65001 : 65000))
cat > "$work/nginx.conf" <<CONF
worker_processes $(nproc);
pid $work/nginx.pid;
error_log $work/nginx-error.log warn;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 100000;
  types { text/html html; application/octet-stream bin; }
  server {
    listen 127.0.0.1:$nginx_port;
    location /_webapp/ { alias $webapp/; }
  }
}
CONF
nginx -c "$work/nginx.conf" -p "$work"
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
  ratio="$(awk -v a="$a_rps" -v n="$n_rps" 'BEGIN { printf "%.2f", a / n }')"
  printf '%-6s %14s %10s %14s %10s %8s\n' "$file" "$a_rps" "$a_p99" "$n_rps" "$n_p99" "$ratio"
done
