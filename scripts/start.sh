#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
  echo "No display found: starting under a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a build/velmora/velmora "$@"
fi
exec build/velmora/velmora "$@"
