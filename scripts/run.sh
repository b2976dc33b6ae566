#!/usr/bin/env bash
# Sets up, builds and starts Atelier with the demo editor. Without a display
# it runs under a virtual X server (Xvfb). Arguments go to the application.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running under Xvfb"
  exec xvfb-run -a -s "-screen 0 1440x900x24" "$root/build/atelier" "$@"
fi
exec "$root/build/atelier" "$@"
