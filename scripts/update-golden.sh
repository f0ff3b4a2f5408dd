#!/usr/bin/env bash
# Rewrites the golden stills under tests/golden (and the fingerprints of the
# pictures they were made from) from this build and freshly drawn default
# pictures. Right only after an intended change to what the scenes draw (a
# scene, the overlays, fins, tools/picturegen or the embedded model); look at
# every rewritten PNG before committing it. Rounding-only differences between
# GL drivers never need this.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" --target test_golden picturegen -j2
"$BUILD_DIR/tools/picturegen/picturegen" --force data
ZANT_UPDATE_GOLDEN=1 "$BUILD_DIR/tests/test_golden"
"$BUILD_DIR/tests/test_golden"
git status --short tests/golden
