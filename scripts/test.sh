#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
#   scripts/test.sh                      # build/ with the normal flags
#   HB_BUILD_DIR=build-asan scripts/test.sh -DHB_SANITIZE=ON -DHB_BENCH=OFF
# Extra arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build="${HB_BUILD_DIR:-build}"
jobs="$(nproc 2>/dev/null || echo 4)"
export LC_ALL=C
cmake -S . -B "$build" "$@"
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
