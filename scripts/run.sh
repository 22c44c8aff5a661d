#!/usr/bin/env bash
# Installs what is needed, builds the release preset and starts the window program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/app/tarnquill "$@"
