#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to the show: installs the
# packages, builds, makes the default data, and starts zant from the project
# root (so it finds ./data). Extra arguments go to zant, e.g. --windowed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
scripts/make-data.sh
exec ./build/zant "$@"
