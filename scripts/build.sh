#!/usr/bin/env bash
# Configures and builds the Release tree in build/ (set BUILD_DIR to move it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev >/dev/null
cmake --build "$build"
