#!/usr/bin/env bash
# Builds the Debian package (zant_<version>_amd64.deb) with CPack from a
# separate build configured for /usr, compiled with Debian's own hardening
# and optimisation flags (dpkg-buildflags). Debian puts games' programs in
# /usr/games; the data stays in /usr/share/zant, where the program looks
# beside its own folder. Prints the package's path.
# Usage: scripts/package.sh [extra cmake options]; DEB_BUILD_DIR picks the
# build folder (default build-deb).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${DEB_BUILD_DIR:-build-deb}
scripts/setup.sh >/dev/null

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_INSTALL_BINDIR=games -DZANT_BUILD_TESTS=OFF \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
rm -f "$BUILD_DIR"/zant_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
deb=$(ls "$BUILD_DIR"/zant_*_amd64.deb)
echo "package: $deb ($(stat -c %s "$deb") bytes)"
