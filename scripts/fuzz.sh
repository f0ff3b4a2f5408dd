#!/usr/bin/env bash
# Fuzzes the JPEG decoder with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer for a bounded time (default 60 s).
# Usage: scripts/fuzz.sh [SECONDS]. Needs clang; skips cleanly without it.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
OUT=${FUZZ_DIR:-build-fuzz}
CXX=${FUZZ_CXX:-clang++}
if ! command -v "$CXX" >/dev/null; then
  echo "fuzz: $CXX not found, skipping"
  exit 0
fi
mkdir -p "$OUT/corpus" "$OUT/artifacts"
FLAGS="-std=c++20 -O1 -g -I. -Wall -Wextra -fno-omit-frame-pointer"
"$CXX" $FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  fuzz/fuzz_jpeg.cpp texture/jpegdecode.cpp -ljpeg -o "$OUT/fuzz_jpeg"
"$CXX" $FLAGS fuzz/make_seeds.cpp -ljpeg -o "$OUT/make_seeds"
"$OUT/make_seeds" "$OUT/corpus"
# -timeout catches a decode that hangs; rss/malloc limits catch runaway memory.
"$OUT/fuzz_jpeg" "$OUT/corpus" -max_total_time="$SECONDS_TO_RUN" -max_len=65536 -timeout=20 \
  -rss_limit_mb=2048 -malloc_limit_mb=1024 -artifact_prefix="$OUT/artifacts/" -print_final_stats=1
