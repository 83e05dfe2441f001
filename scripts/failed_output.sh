#!/usr/bin/env bash
# Prints the last lines of the output of every test that failed in the last
# CTest run of a build folder.
#   scripts/failed_output.sh <build folder> [lines per test]
set -uo pipefail
build="$1"
lines="${2:-60}"
failed="$build/Testing/Temporary/LastTestsFailed.log"
log="$build/Testing/Temporary/LastTest.log"
[ -f "$failed" ] && [ -f "$log" ] || exit 0
while IFS= read -r entry; do
  name="${entry#*:}"
  echo
  echo "=== the end of the output of the failed test $name ==="
  awk -v name="$name" '
    $0 ~ /^[0-9]+\/[0-9]+ Test: / { sub(/^[0-9]+\/[0-9]+ Test: /, ""); current = $0; next }
    current == name && $0 == "Output:" { getline; inside = 1; next }
    inside && $0 == "<end of output>" { inside = 0; current = ""; next }
    inside { print }
  ' "$log" | tail -n "$lines"
done < "$failed"
