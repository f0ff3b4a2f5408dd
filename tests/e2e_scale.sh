#!/usr/bin/env bash
# End to end: --scale 2 gives a 1280x960 window whose picture, scaled back
# down, matches the headless 640x480 still at the same song time. The window
# is looked at until it shows that picture (up to a minute), so a slow
# start-up only makes the test take longer.
set -u
ZANT=$1
SRC=$2
BIN=$3
. "$(dirname "$0")/e2e_lib.sh"
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1
data="$BIN/data"
make_work scale
cd "$work"
T=3.3   # intro: no random flicker, so every frame at T is the same

"$ZANT" --data "$data" --still $T --out "$work/still.png" 2>/dev/null || { echo "FAIL: still"; exit 1; }

start_xvfb 1600x1200x24 || exit 1
psnr_of_window() {
  eval "$(xwininfo -id "$wid" | awk "/Absolute upper-left X/{print \"X=\"\$4} /Absolute upper-left Y/{print \"Y=\"\$4} /Width:/{print \"W=\"\$2} /Height:/{print \"H=\"\$2}")"
  ffmpeg -v error -y -f x11grab -video_size ${W}x${H} -i "$DISPLAY+$X,$Y" -frames:v 1 "$work/shot.png" || return 1
  psnr=$(ffmpeg -v info -i "$work/shot.png" -i "$work/still.png" \
    -lavfi "[0:v]scale=640:480:flags=area,format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -f null - 2>&1 |
    sed -n "s/.*average:\([0-9.inf]*\).*/\1/p")
}
"$ZANT" --data "$data" --scale 2 --freeze $T >"$work/log" 2>&1 &
pid=$!
find_window || { kill $pid 2>/dev/null; exit 1; }
# Start-up shows other frames first; the frozen show then draws the still
# frame over and over.
matched=""
W="" H=""
for i in $(seq 1 120); do
  kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat "$work/log"; exit 1; }
  wid=$(zant_windows | tail -1)
  psnr=""
  psnr_of_window
  if [ "$W" = 1280 ] && [ "$H" = 960 ] && awk -v p="$psnr" "BEGIN { exit !(p == \"inf\" || p + 0 > 30) }"; then
    matched=1; break
  fi
  sleep 0.5
done
echo "window ${W}x${H} at $X,$Y"
echo "PSNR of the scaled window against the still: $psnr dB"
xdotool key --window "$wid" Escape 2>/dev/null
wait_exit 60
check "window is 1280x960 (got ${W}x${H})" '[ "$W" = 1280 ] && [ "$H" = 960 ]'
check "the scaled window is the still" '[ -n "$matched" ]'
exit $fail
