#!/usr/bin/env bash
# End to end on a 1280x720 Xvfb screen, which has no 640x480 mode (xrandr
# lists one mode): --fullscreen (the "Yes" to "Fullscreen?") falls back to
# fullscreen at the desktop's resolution with a note on stderr, the picture
# 960x720 between black bars; F11 and Alt+Enter switch a window to that and
# back; a resized window scales the picture, kept 4:3. Fullscreen needs a
# window manager that honours it (openbox here); without one those checks
# are skipped. Every step waits for its answer (a size, frames drawn).
set -u
ZANT=$1
SRC=$2
BIN=$3
. "$(dirname "$0")/e2e_lib.sh"
start_window_test fullscreen 1280x720x24 || exit 1

wm=0
wm_pid=""
# The window manager goes before the X server it runs on.
trap '[ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null; e2e_cleanup' EXIT
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  wm=1
  # Windows made before the manager runs are not managed by it.
  wait_until "openbox on the screen" wm_up
fi
if command -v xrandr >/dev/null; then
  check "the screen has no 640x480 mode" "! xrandr | grep -q \"^ *640x480 \""
fi
size() { xwininfo -id "$wid" | awk "/Width:/{w=\$2} /Height:/{h=\$2} END{print w\"x\"h}"; }
size_is() { [ "$(size)" = "$1" ]; }
wait_size() {  # up to a minute for the window to take a size
  wait_until "window size $1" size_is "$1" || { echo "FAIL: window stayed $(size), not $1"; fail=1; return 1; }
}
# Lit pixels (any channel above 0) in a region WxH+X+Y of a picture.
lit() { ffmpeg -v error -i "$1" -vf "crop=$2" -f rawvideo -pix_fmt gray - | tr -d "\0" | wc -c; }
# The picture scaled into the W x H area, kept 4:3: black bars either side.
check_bars() {  # picture, width, height, what
  local pw=$(( $3 * 4 / 3 )); local bar=$(( ($2 - pw) / 2 ))
  "$BIN/tests/xframes" "$wid" 2 || { echo "FAIL: no frames drawn"; fail=1; return; }
  "$BIN/tests/xshot" "$1" shot.ppm
  local left=$(lit shot.ppm "$((bar - 1)):$3:0:0") right=$(lit shot.ppm "$((bar - 1)):$3:$((bar + pw + 1)):0")
  local middle=$(lit shot.ppm "$pw:$3:$bar:0")
  check "$4: bars black ($left and $right lit pixels), picture between ($middle lit)" \
    "[ $left -eq 0 ] && [ $right -eq 0 ] && [ $middle -gt 20000 ]"
}
start() {  # args: waits for the window and the frame loop
  local i
  "$ZANT" --nosound --data "$data" --start 12.5 "$@" >log.txt 2>&1 &
  pid=$!
  find_window || { cat log.txt; kill $pid 2>/dev/null; exit 1; }
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null
  for i in $(seq 1 240); do   # up to two minutes: start-up is slow on a loaded machine
    kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat log.txt; exit 1; }
    xdotool key --window "$wid" Home 2>/dev/null; sleep 0.5
    grep -q "to pattern 0$" log.txt && break
  done
  grep -q "to pattern 0$" log.txt || { echo "FAIL: no answer to Home"; cat log.txt; kill $pid; exit 1; }
}
quit() {
  xdotool key --window "$wid" Escape 2>/dev/null
  wait_exit 60
  check "$1 ends with status 0 (got $rc)" "[ $rc -eq 0 ]"
}

# "Yes" to "Fullscreen?" without a 640x480 mode.
start --fullscreen
check "a note says why it is not a mode switch" \
  "grep -q \"^zant: info: the display has no 640x480 mode to switch to; showing the picture fullscreen\" log.txt"
check "no Init failed!" "! grep -q \"Init failed\" log.txt"
if [ $wm -eq 1 ]; then
  wait_size 1280x720 && check_bars root 1280 720 "fullscreen instead of a mode switch"
fi
quit "the fallback"

# F11 and Alt+Enter while the show runs; a window resized.
start --windowed
check "starts as a 640x480 window" "[ \"$(size)\" = 640x480 ]"
if [ $wm -eq 1 ]; then
  xdotool key --window "$wid" F11
  wait_size 1280x720 && check_bars root 1280 720 "F11"
  xdotool key --window "$wid" alt+Return
  wait_size 640x480 && echo "ok: Alt+Enter back to the window"
  xdotool key --window "$wid" alt+Return
  wait_size 1280x720 && echo "ok: Alt+Enter to fullscreen"
  xdotool key --window "$wid" F11
  wait_size 640x480 && echo "ok: F11 back to the window"
else
  echo "skip: no window manager (openbox) to honour fullscreen"
fi
xdotool windowsize "$wid" 800 400
wait_size 800x400 && check_bars "$wid" 800 400 "window resized to 800x400"
quit "the resized window"
exit $fail
