#!/bin/bash
# Builds and runs the effects benchmark against a build's zantcore library.
# Usage: bench/effects.sh [build-dir] [calls]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
calls="${2:-20}"
lib="$build/libzantcore.a"
if [ ! -f "$lib" ]; then
  echo "effects.sh: $lib not found; build the zantcore target in $build first" >&2
  exit 1
fi
out="$build/effects_bench"
g++ -O2 -std=c++20 -DGL_GLEXT_PROTOTYPES -I"$root" "$root/bench/effects_bench.cpp" "$lib" \
  $(pkg-config --libs sdl2 glu libmpg123 kissfft-float freetype2 fontconfig ftgl libpng) \
  -lEGL -lGL -ljpeg -lpthread -o "$out"
"$out" "$calls"
