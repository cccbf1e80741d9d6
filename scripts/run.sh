#!/usr/bin/env bash
# Installs what is needed, builds and starts Numira. Without a display it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" ./build/bin/numira "$@"
fi
exec ./build/bin/numira "$@"
