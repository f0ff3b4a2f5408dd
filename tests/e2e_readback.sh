#!/usr/bin/env bash
# End to end: --render frames read back through pixel buffer objects are the
# frames of the plain glReadPixels way (ZANT_READBACK=plain), byte for byte,
# and both are the --still pictures at the same song times.
set -u
ZANT=$1
SRC=$2
BIN=$3
export ZANT_NO_DIALOGS=1
. "$(dirname "$0")/e2e_lib.sh"
make_work readback
# The default data the test fixture made in the build folder, never ./data.
data="$BIN/data"
[ -e "$data/tunemix.mp3" ] || { echo "FAIL: no $data/tunemix.mp3 (the data fixture makes it)"; exit 1; }
cd "$work"

# 12 frames at 30 fps from pattern 3.3 (17600 ms): frame k is at
# 17600 + floor(k * 1000 / 30) ms.
mkdir -p "$work/buffered" "$work/plain"
"$ZANT" --data "$data" --render "$work/buffered/%05d.png" --fps 30 --from 3.3 --to 3.375 2>"$work/log" ||
  { cat "$work/log"; fail=1; }
ZANT_READBACK=plain "$ZANT" --data "$data" --render "$work/plain/%05d.png" --fps 30 --from 3.3 --to 3.375 2>"$work/log" ||
  { cat "$work/log"; fail=1; }
check "twelve frames each way" '[ "$(ls "$work/buffered" | wc -l)" = 12 ] && [ "$(ls "$work/plain" | wc -l)" = 12 ]'
check "buffered and plain frames are identical" 'diff -r "$work/buffered" "$work/plain" >/dev/null'
check "frames differ from each other (the show moves)" '! cmp -s "$work/buffered/00000.png" "$work/buffered/00011.png"'

args=()
for k in 0 1 5 11; do
  ms=$((17600 + k * 1000 / 30))
  t=$(awk -v ms="$ms" 'BEGIN { printf "%.7f", ms * 180 / 960000 }')   # ms in patterns
  args+=(--still "$t" --out "$work/still$k.png")
done
"$ZANT" --data "$data" "${args[@]}" 2>"$work/log" || { cat "$work/log"; fail=1; }
for k in 0 1 5 11; do
  frame=$(printf "%05d" $k)
  check "frame $k is the still at its time" 'cmp -s "$work/still$k.png" "$work/buffered/$frame.png"'
done
exit $fail
