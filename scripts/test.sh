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
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" || status=$?
if [ "$status" -ne 0 ]; then
  # The end of each failed test's output again, last, where a log that is
  # read from its end shows it.
  bash scripts/failed_output.sh "$build"
  exit "$status"
fi
