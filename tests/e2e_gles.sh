#!/usr/bin/env bash
# End to end: the show on OpenGL ES 3 through the program's own fixed-function
# layer, in a window under Xvfb (--gles --windowed): it opens a 640x480
# window, keeps drawing (the frame loop answers Home with a seek, and the
# status overlay, switched on with i, draws through the layer too) without a
# GL error, and ends with status 0 on Escape. Then a still on the same path.
set -u
ZANT=$1
SRC=$2
BIN=$3
. "$(dirname "$0")/e2e_lib.sh"
start_window_test gles || exit 1

# The window: drawn, answering keys, ended by Escape with status 0.
run_window() {
  local log=gles.log
  "$ZANT" --gles --windowed --nosound --start 12 --data "$data" >"$log" 2>&1 &
  pid=$!
  find_window || { cat "$log"; kill $pid 2>/dev/null; return 1; }
  size=$(xwininfo -id "$wid" | awk "/Width:/{w=\$2} /Height:/{h=\$2} END{print w\"x\"h}")
  [ "$size" = "640x480" ] || { echo "FAIL: client size $size"; kill $pid; return 1; }
  wid=$(zant_windows | tail -1)
  xdotool key --window "$wid" i 2>/dev/null
  press_until "$log" "to pattern 0$" --window "$wid" Home || { kill $pid 2>/dev/null; return 1; }
  sleep 2   # a few more frames, overlay on, from the song start
  kill -0 $pid 2>/dev/null || { echo "FAIL: program ended while playing"; cat "$log"; return 1; }
  xdotool key --window "$wid" Escape 2>/dev/null
  wait_exit 60 || return 1
  [ $rc -eq 0 ] || { echo "FAIL: ended with status $rc"; cat "$log"; return 1; }
  if grep -q "GL error\|GL_INVALID" "$log"; then echo "FAIL: a GL error"; cat "$log"; return 1; fi
  echo "window on OpenGL ES: status 0"
}
run_window || exit 1

"$ZANT" --gles --data "$data" --still 12.7 --out gles.png >still.log 2>&1 || { echo "FAIL: --gles --still"; cat still.log; exit 1; }
[ -s gles.png ] || { echo "FAIL: no picture"; exit 1; }
echo "still on OpenGL ES: written"
