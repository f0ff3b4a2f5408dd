#!/usr/bin/env bash
# Fuzzes the JPEG decoder with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer for a bounded time (default 60 s). Configures a
# clang build folder of its own (build-fuzz) with ZANT_FUZZ on and builds the
# fuzz targets from fuzz/CMakeLists.txt there.
# Usage: scripts/fuzz.sh [SECONDS]. Needs clang and its runtime libraries
# (Debian: clang libclang-rt-14-dev); skips cleanly without clang.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
OUT=${FUZZ_DIR:-build-fuzz}
CC=${FUZZ_CC:-clang}
CXX=${FUZZ_CXX:-clang++}
if ! command -v "$CXX" >/dev/null; then
  echo "fuzz: $CXX not found, skipping"
  exit 0
fi
# Only the fuzz targets are built; tests and data tools stay out of it.
cmake -S . -B "$OUT" -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_COMPILER="$CXX" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANT_FUZZ=ON -DZANT_BUILD_TESTS=OFF -DZANT_BUILD_TOOLS=OFF >/dev/null
cmake --build "$OUT" --target fuzz_jpeg make_seeds -j"$(nproc)"
mkdir -p "$OUT/corpus" "$OUT/artifacts"
"$OUT/fuzz/make_seeds" "$OUT/corpus"
# -timeout catches a decode that hangs; rss/malloc limits catch runaway memory.
"$OUT/fuzz/fuzz_jpeg" "$OUT/corpus" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -timeout=20 \
  -rss_limit_mb=2048 -malloc_limit_mb=1024 -artifact_prefix="$OUT/artifacts/" -print_final_stats=1
