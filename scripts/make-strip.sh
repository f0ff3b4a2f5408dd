#!/usr/bin/env bash
# Renders the README's strip of stills: eight moments of the show, the
# letterbox band of each at quarter size, side by side in docs/strip.jpg.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
times=(4.5 7.3 10.3 12.6 15.2 18.1 23.2 36.6)
args=()
for i in "${!times[@]}"; do args+=(--still "${times[$i]}" --out "$work/$(printf %02d "$i").png"); done
"$BUILD_DIR/zant" "${args[@]}" 2>/dev/null
mkdir -p docs
ffmpeg -v error -y -i "$work/%02d.png" \
  -vf "crop=640:360:0:60,scale=240:135:flags=area,tile=4x2:padding=4:color=black" \
  -frames:v 1 -q:v 4 docs/strip.jpg
echo "wrote docs/strip.jpg ($(stat -c %s docs/strip.jpg) bytes)"
