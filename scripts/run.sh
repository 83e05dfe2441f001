#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to
# the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build="${HB_BUILD_DIR:-build}"
cmake -S . -B "$build" -DHB_BENCH=OFF
cmake --build "$build" --target harshbloom -j "$(nproc 2>/dev/null || echo 4)"
exec "$build/app_wrapper/harshbloom" "$@"
