# Shared by the benchmarks that run Atelier's server beside nginx. Sourced;
# expects $root and $build.

# A scratch folder readable by nginx workers (they run as another user),
# removed with every process started here when the script ends.
work="$(mktemp -d)"
chmod 755 "$work"
trap 'kill $(jobs -p) 2>/dev/null || true; [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null; rm -rf "$work"' EXIT

# start_atelier_server [NAME=VALUE...]: the loopback server on $work/resources
# with a home of its own and the given environment; sets atelier_port.
start_atelier_server() {
  mkdir -p "$work/home"
  env HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
    XDG_CACHE_HOME="$work/home/cache" XDG_STATE_HOME="$work/home/state" "$@" \
    "$build/bench/bench_serving_server" --resources "$work/resources" > "$work/atelier.out" 2>&1 &
  for _ in $(seq 100); do grep -q '^port' "$work/atelier.out" 2>/dev/null && break; sleep 0.05; done
  atelier_port="$(awk '/^port/ {print $2}' "$work/atelier.out")"
}

# start_nginx < HTTP_BLOCK_BODY: nginx, one worker per core, with the given
# contents of its http block.
start_nginx() {
  {
    echo "worker_processes $(nproc);"
    echo "pid $work/nginx.pid;"
    echo "error_log $work/nginx-error.log warn;"
    echo "events { worker_connections 1024; }"
    echo "http {"
    echo "  access_log off;"
    echo "  keepalive_requests 100000;"
    cat
    echo "}"
  } > "$work/nginx.conf"
  nginx -c "$work/nginx.conf" -p "$work"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
