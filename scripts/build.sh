#!/usr/bin/env bash
# Configures and builds into build/ (or $PINDEL_BUILD_DIR): everything, or
# only the targets named (scripts/build.sh orbo builds the program alone).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${PINDEL_BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${PINDEL_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
targets=()
for t in "$@"; do
    targets+=(--target "$t")
done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
