#!/usr/bin/env bash
# Writes a new reference picture of the program's main window
# (tests/app/data/main_window.png) from the real program under xvfb-run.
# Look at the picture before committing it.
#   tests/app/update_reference.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
cmake --build "$build" --target harshbloom app_e2e_tests -j "$(nproc 2>/dev/null || echo 4)"
HB_UPDATE_REFERENCE=1 "$build/tests/app/app_e2e_tests" --gtest_filter='EndToEnd.OnAJackServer'
