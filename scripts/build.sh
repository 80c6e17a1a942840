#!/usr/bin/env bash
# Configures and builds into build/ (tests included), or only the targets named.
#
# usage: scripts/build.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j"$(nproc)" "${targets[@]}"
