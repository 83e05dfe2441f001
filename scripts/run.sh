#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build="${HB_BUILD_DIR:-build}"
cmake -S . -B "$build" -DHB_BENCH=OFF
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 4)"
if [ -x "$build/app_wrapper/harshbloom" ]; then
  exec "$build/app_wrapper/harshbloom" "$@"
fi
cat <<MSG
Built the libraries and tests in $build/. The standalone program does not
exist yet; what there is to run:
  ctest --test-dir $build            # every test
  ls $build/bench                    # benchmarks, where built
MSG
