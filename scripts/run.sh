#!/usr/bin/env bash
# Installs what is missing, builds, and starts DorvPrg on its default database
# (the Data folder beside the program, created with an empty register on the first start).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
./scripts/build.sh dorvprg
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: starting on the offscreen platform (use xvfb-run ./scripts/run.sh to see it under Xvfb)."
  export QT_QPA_PLATFORM=offscreen
fi
exec ./build/src/app/dorvprg "$@"
