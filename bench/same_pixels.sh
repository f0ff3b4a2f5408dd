#!/bin/bash
# Checks that two builds draw the same show: renders the same stills with
# both programs and compares the PNG files byte for byte. For speed work
# that must not change a pixel. Build both from trees that differ only in
# the files under test, and use one data folder for both.
# Usage: bench/same_pixels.sh ZANT_BEFORE ZANT_AFTER DATA_DIR [STILLS]
# STILLS (default 240) times spread over the whole song, plus 48 through
# one two-beat cycle of the metal model so every stage of its break-up shows.
set -euo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 ZANT_BEFORE ZANT_AFTER DATA_DIR [STILLS]" >&2
  exit 2
fi
before="$1" after="$2" data="$3" count="${4:-240}"
for bin in "$before" "$after"; do
  [ -x "$bin" ] || { echo "same_pixels.sh: $bin is not a program" >&2; exit 2; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

times=()
for ((k = 0; k < count; k++)); do times+=("$(awk -v k="$k" -v n="$count" 'BEGIN { printf "%.4f", 0.013 + k * 37.9 / n }')"); done
for ((k = 0; k < 48; k++)); do times+=("$(awk -v k="$k" 'BEGIN { printf "%.4f", 18.0 + k * 0.125 / 48 + 0.001 }')"); done

render() {
  local bin="$1" dir="$2" args=()
  mkdir -p "$dir"
  for i in "${!times[@]}"; do args+=(--still "${times[$i]}" --out "$dir/$i.png"); done
  "$bin" --data "$data" "${args[@]}" 2>/dev/null
}
render "$before" "$work/before"
render "$after" "$work/after"

differ=0
for i in "${!times[@]}"; do
  if ! cmp -s "$work/before/$i.png" "$work/after/$i.png"; then
    echo "differs at song time ${times[$i]}"
    differ=$((differ + 1))
  fi
done
echo "stills compared: ${#times[@]}, differing: $differ"
[ "$differ" -eq 0 ]
