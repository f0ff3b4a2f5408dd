#!/usr/bin/env bash
# Rewrites the golden stills under tests/golden from this build. Right only
# after an intended change to what the scenes draw (a scene, the overlays,
# fins, the default pictures or the embedded model); look at every rewritten
# PNG before committing it. A rounding-only difference never needs this.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" -j2
BUILD_DIR="$BUILD_DIR" scripts/make-data.sh
ZANT_UPDATE_GOLDEN=1 "$BUILD_DIR/tests/test_golden"
git status --short tests/golden
