#!/usr/bin/env bash
# End to end: --scale 2 gives a 1280x960 window whose picture, scaled back
# down, matches the headless 640x480 still at the same song time. The window
# is looked at until it shows that picture (up to a minute), so a slow
# start-up only makes the test take longer.
set -u
ZANT=$1
SRC=$2
BIN=$3
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1
data="$BIN/data"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
T=3.3   # intro: no random flicker, so every frame at T is the same

"$ZANT" --data "$data" --still $T --out "$work/still.png" 2>/dev/null || { echo "FAIL: still"; exit 1; }

xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
  ZANT=$1; T=$2; work=$3; data=$4
  psnr_of_window() {
    eval "$(xwininfo -id "$wid" | awk "/Absolute upper-left X/{print \"X=\"\$4} /Absolute upper-left Y/{print \"Y=\"\$4} /Width:/{print \"W=\"\$2} /Height:/{print \"H=\"\$2}")"
    ffmpeg -v error -y -f x11grab -video_size ${W}x${H} -i "$DISPLAY+$X,$Y" -frames:v 1 "$work/shot.png" || return 1
    psnr=$(ffmpeg -v info -i "$work/shot.png" -i "$work/still.png" \
      -lavfi "[0:v]scale=640:480:flags=area,format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -f null - 2>&1 |
      sed -n "s/.*average:\([0-9.inf]*\).*/\1/p")
  }
  "$ZANT" --data "$data" --scale 2 --freeze $T >"$work/log" 2>&1 &
  pid=$!
  wid=""
  for i in $(seq 1 600); do   # up to a minute on a loaded machine
    wid=$(xdotool search --name "^ZANT$" 2>/dev/null | tail -1); [ -n "$wid" ] && break; sleep 0.1
  done
  [ -n "$wid" ] || { echo "FAIL: no window"; kill $pid; exit 1; }
  # Start-up shows other frames first; the frozen show then draws the still
  # frame over and over.
  matched=""
  for i in $(seq 1 120); do
    kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat "$work/log"; exit 1; }
    wid=$(xdotool search --name "^ZANT$" | tail -1)
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
  wait $pid
  [ "$W" = 1280 ] && [ "$H" = 960 ] || { echo "FAIL: window is ${W}x${H}"; exit 1; }
  [ -n "$matched" ] || { echo "FAIL: pictures differ"; exit 1; }
' _ "$ZANT" "$T" "$work" "$data" || exit 1
echo "ok"
