#!/usr/bin/env bash
# Installs what is needed, builds the tests under AddressSanitizer and UBSan and runs them headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan
