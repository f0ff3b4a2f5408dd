#!/bin/bash
# Renders stills across the whole song (the middle of every pattern, and the
# middle of every half pattern of the cycling section 22..32) and tiles them
# into one contact sheet, eight to a row, for looking at the show at a glance.
# Usage: bench/timeline_strip.sh [build-dir] [data-dir] [sheet.png]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
# The default data ctest made in the build folder, when there is one: the
# source tree's data/ may hold someone's own pictures.
if [ -n "${2:-}" ]; then data=$2; elif [ -e "$build/data/tunemix.mp3" ]; then data=$build/data; else data=$root/data; fi
sheet="${3:-$build/timeline_strip.png}"
zant="$build/zant"
[ -x "$zant" ] || { echo "timeline_strip.sh: $zant not found; build the zant target first" >&2; exit 1; }
[ -e "$data/tunemix.mp3" ] || { echo "timeline_strip.sh: no $data/tunemix.mp3 (scripts/make-data.sh makes one)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "timeline_strip.sh: ffmpeg is needed to tile the sheet" >&2; exit 1; }

times=()
for p in $(seq 0 21); do times+=("$p.5"); done
for p in $(seq 22 31); do times+=("$p.25" "$p.75"); done
for p in $(seq 32 37); do times+=("$p.5"); done

dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
args=()
for i in "${!times[@]}"; do
  args+=(--still "${times[$i]}" --out "$(printf '%s/s%03d.png' "$dir" "$i")")
done
start=$(date +%s.%N)
"$zant" --data "$data" "${args[@]}" 2>/dev/null
end=$(date +%s.%N)
rows=$(( (${#times[@]} + 7) / 8 ))
ffmpeg -hide_banner -loglevel error -y -pattern_type glob -i "$dir/s*.png" \
  -vf "scale=213:160,tile=8x${rows}:padding=2" -frames:v 1 "$sheet"
printf '%d stills in %.1f s (start-up included); sheet %s\n' "${#times[@]}" "$(echo "$end - $start" | bc)" "$sheet"
echo "song times, row by row:"
for ((r = 0; r < rows; r++)); do
  echo "  ${times[*]:$((r * 8)):8}"
done
