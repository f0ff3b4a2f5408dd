#!/usr/bin/env bash
# Makes the default show data (soundtrack and ten pictures) with our own
# generators, only for files data/ lacks: a user's own files are never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
DATA_DIR=${1:-data}
mkdir -p "$DATA_DIR"

pictures=(txtr1 txtr2 metal bg1 bg2 bg3 bg4 bg5 bg6 gridi)
missing=()
for p in "${pictures[@]}"; do
  [ -e "$DATA_DIR/$p.jpg" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "make-data: drawing ${missing[*]}"
  "$BUILD_DIR/tools/picturegen/picturegen" "$DATA_DIR" "${missing[@]}"
fi
if [ ! -e "$DATA_DIR/tunemix.mp3" ]; then
  echo "make-data: composing tunemix.mp3 (takes a few seconds)"
  "$BUILD_DIR/tools/musicgen/musicgen" "$DATA_DIR/tunemix.mp3"
fi
echo "make-data: $DATA_DIR is complete."
