#!/usr/bin/env bash
# Small GETs through "__tzr_proxy" to a local TLS server (nginx) against the
# same requests sent by a plain libcurl client straight to that server, and
# "_data" reads of a 4 KB compressed JSON against "_webapp" reads of the same
# file from disk. One load client (libcurl, keep-alive) for all four.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
seconds="${SECONDS_PER_RUN:-5}"
connections="${CONNECTIONS:-16}"
source "$root/bench/lib.sh"

# A test authority and a certificate for localhost.
(cd "$work" &&
  openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Bench CA' &&
  openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj '/CN=localhost' &&
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' > san.ext &&
  openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 -extfile san.ext
) > /dev/null 2>&1

mkdir -p "$work/site" "$work/data"
head -c 1024 /dev/urandom | base64 -w0 | head -c 1000 | awk '{printf "{\"v\":\"%s\"}", $0}' > "$work/site/small.json"
python3 -c 'import json; print(json.dumps({"items": [{"n": i, "label": "item"} for i in range(148)]}), end="")' \
  > "$work/data/data.json"

# Atelier's resources: the build's, with the 4 KB file in the bundle and in the web folder.
cp -r "$build/Resources" "$work/resources"
cp "$work/data/data.json" "$work/resources/sync/webapp/data.json"
"$build/tools/atelier-bundle-tool" "$work/data" "$work/resources/sync/bundleStorage/bundle.db" \
  --resources "$root/resources" > /dev/null

nginx_port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
start_nginx <<CONF
  types { application/json json; }
  server {
    listen 127.0.0.1:$nginx_port ssl;
    ssl_certificate $work/server.pem;
    ssl_certificate_key $work/server.key;
    root $work/site;
  }
CONF

start_atelier_server ATELIER_CA_BUNDLE="$work/ca.pem"
port="$atelier_port"

load() { "$build/bench/bench_http_load" "$1" "$connections" "$seconds" "${2:-}"; }
read -r proxy_rps proxy_p99 _ < <(load "http://127.0.0.1:$port/__tzr_proxy/localhost:$nginx_port/small.json")
read -r direct_rps direct_p99 _ < <(load "https://localhost:$nginx_port/small.json" "$work/ca.pem")
read -r data_rps data_p99 _ < <(load "http://127.0.0.1:$port/_data/data.json")
read -r webapp_rps webapp_p99 _ < <(load "http://127.0.0.1:$port/_webapp/data.json")

printf '%-34s %10s %9s\n' "" "req/s" "p99 ms"
printf '%-34s %10s %9s\n' "through __tzr_proxy (TLS target)" "$proxy_rps" "$proxy_p99"
printf '%-34s %10s %9s\n' "libcurl straight to the target" "$direct_rps" "$direct_p99"
printf '%-34s %10s %9s\n' "_data (4 KB JSON, compressed)" "$data_rps" "$data_p99"
printf '%-34s %10s %9s\n' "_webapp (same file from disk)" "$webapp_rps" "$webapp_p99"
echo "ratios: proxy/direct $(ratio "$proxy_rps" "$direct_rps"), _data/_webapp $(ratio "$data_rps" "$webapp_rps")"
