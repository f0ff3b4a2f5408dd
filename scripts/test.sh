#!/usr/bin/env bash
# Runs the whole test suite headless: installs what is missing, builds, then
# CTest (GL tests on an EGL pbuffer, end-to-end tests under Xvfb with SDL's
# dummy audio driver). The tests make their own data in the build folder
# (test make_test_data) and never read ./data.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
export BUILD_DIR
scripts/setup.sh
scripts/build.sh "$@"
export ZANT_NO_DIALOGS=1
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
cd "$BUILD_DIR"
ctest --output-on-failure -j2 --timeout 900
