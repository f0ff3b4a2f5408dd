#!/usr/bin/env bash
# Configures (Release) and builds the program, the data generators and the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
