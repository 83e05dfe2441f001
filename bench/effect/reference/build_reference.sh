#!/bin/sh
# Builds the effect module of an older commit for effect_compare_bench:
#   bench/effect/reference/build_reference.sh main /tmp/hb-reference [Release]
#   HB_BENCH_REFERENCE=/tmp/hb-reference/build/effect_module.so \
#     build-release/bench/effect/effect_compare_bench
set -eu
commit=$1
out=$2
type=${3:-Release}
here=$(cd "$(dirname "$0")" && pwd)
top=$(git -C "$here" rev-parse --show-toplevel)
rm -rf "$out/source"
mkdir -p "$out/source"
git -C "$top" archive "$commit" | tar -x -C "$out/source"
cmake -S "$here" -B "$out/build" -DCMAKE_BUILD_TYPE="$type" -DREFERENCE_SOURCE="$out/source"
cmake --build "$out/build" --target effect_module -j"${HB_JOBS:-4}"
echo "$out/build/effect_module.so"
