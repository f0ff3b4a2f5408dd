#!/usr/bin/env bash
# Makes the default show data (soundtrack and ten pictures) with our own
# generators. A file is made when data/ lacks it, or remade when it is still
# exactly what an older build of its generator wrote (data/.generated keeps
# the hashes). Any other file (your own music or pictures) is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
DATA_DIR=${1:-data}
PICTUREGEN="$BUILD_DIR/tools/picturegen/picturegen"
MUSICGEN="$BUILD_DIR/tools/musicgen/musicgen"
LEDGER="$DATA_DIR/.generated"
mkdir -p "$DATA_DIR"
touch "$LEDGER"

hash_of() { sha256sum "$1" | cut -d' ' -f1; }

# needs_making FILE GENERATOR: true when FILE is missing, or is an untouched
# output of a different generator build.
needs_making() {
  local file=$1 gen=$2 name recorded_file recorded_gen
  name=$(basename "$file")
  [ -e "$file" ] || return 0
  read -r recorded_file recorded_gen < <(awk -v n="$name" '$1 == n { print $2, $3 }' "$LEDGER") || true
  [ -n "${recorded_file:-}" ] || return 1                 # not ours: leave it
  [ "$recorded_file" = "$(hash_of "$file")" ] || return 1 # edited since: leave it
  [ "$recorded_gen" != "$(hash_of "$gen")" ]
}

record() {
  local file=$1 gen=$2 name
  name=$(basename "$file")
  awk -v n="$name" '$1 != n' "$LEDGER" > "$LEDGER.tmp"
  echo "$name $(hash_of "$file") $(hash_of "$gen")" >> "$LEDGER.tmp"
  mv "$LEDGER.tmp" "$LEDGER"
}

pictures=(txtr1 txtr2 metal bg1 bg2 bg3 bg4 bg5 bg6 gridi)
todo=()
for p in "${pictures[@]}"; do
  if needs_making "$DATA_DIR/$p.jpg" "$PICTUREGEN"; then todo+=("$p"); fi
done
if [ ${#todo[@]} -gt 0 ]; then
  echo "make-data: drawing ${todo[*]}"
  for p in "${todo[@]}"; do rm -f "$DATA_DIR/$p.jpg"; done
  "$PICTUREGEN" "$DATA_DIR" "${todo[@]}"
  for p in "${todo[@]}"; do record "$DATA_DIR/$p.jpg" "$PICTUREGEN"; done
fi
if needs_making "$DATA_DIR/tunemix.mp3" "$MUSICGEN"; then
  echo "make-data: composing tunemix.mp3 (takes a few seconds)"
  rm -f "$DATA_DIR/tunemix.mp3"
  "$MUSICGEN" "$DATA_DIR/tunemix.mp3"
  record "$DATA_DIR/tunemix.mp3" "$MUSICGEN"
fi
echo "make-data: $DATA_DIR is complete."
