#!/usr/bin/env bash
# Rewrites the golden stills under tests/golden (and the fingerprints of the
# pictures they were made from) from this build and freshly drawn default
# pictures in the build folder's data/ (the one the tests read; the source
# tree's data/ is never touched). Right only after an intended change to
# what the scenes draw (a scene, the overlays, fins, tools/picturegen or the
# embedded model); look at every rewritten PNG before committing it.
# Rounding-only differences between GL drivers never need this.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
export BUILD_DIR
cmake -S . -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" --target test_golden picturegen musicgen -j2
# The build folder's copies are ours alone: drawing them afresh makes sure
# the stills come from what picturegen draws now, and keeps the ledger true.
data="$BUILD_DIR/data"
mkdir -p "$data"
rm -f "$data"/*.jpg
scripts/make-data.sh "$data"
ZANT_UPDATE_GOLDEN=1 "$BUILD_DIR/tests/test_golden"
"$BUILD_DIR/tests/test_golden"
git status --short tests/golden
