#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the whole test suite with no display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --preset default --parallel "$(nproc)"
