#!/usr/bin/env bash
# Configures and builds the default preset into build/; the program folder is build/velmora.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset default
fi
cmake --build --preset default --parallel "$(nproc)"
