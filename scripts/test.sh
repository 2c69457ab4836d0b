#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs all tests on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh
cd build
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j2 "$@"
