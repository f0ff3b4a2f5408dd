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
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1 ZANT_LOG_SEEKS=1
data="$BIN/data"
work=$(mktemp -d "${TMPDIR:-/tmp}/zant_e2e_gles.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  ZANT=$1; data=$2
  log=gles.log
  "$ZANT" --gles --windowed --nosound --start 12 --data "$data" >"$log" 2>&1 &
  pid=$!
  wid=""
  for i in $(seq 1 600); do   # up to a minute: start-up is slow on a loaded machine
    wid=$(xdotool search --name "^ZANT$" 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "FAIL: no window"; cat "$log"; kill $pid; exit 1; }
  size=$(xwininfo -id "$wid" | awk "/Width:/{w=\$2} /Height:/{h=\$2} END{print w\"x\"h}")
  [ "$size" = "640x480" ] || { echo "FAIL: client size $size"; kill $pid; exit 1; }
  wid=$(xdotool search --name "^ZANT$" 2>/dev/null | tail -1)
  xdotool key --window "$wid" i 2>/dev/null
  for i in $(seq 1 120); do
    kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat "$log"; exit 1; }
    xdotool key --window "$wid" Home 2>/dev/null
    sleep 0.5
    grep -q "to pattern 0$" "$log" && break
  done
  grep -q "to pattern 0$" "$log" || { echo "FAIL: no answer to Home within a minute"; cat "$log"; kill $pid; exit 1; }
  sleep 2   # a few more frames, overlay on, from the song start
  kill -0 $pid 2>/dev/null || { echo "FAIL: program ended while playing"; cat "$log"; exit 1; }
  xdotool key --window "$wid" Escape 2>/dev/null
  for i in $(seq 1 600); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "FAIL: still running a minute after Escape"; kill -9 $pid; exit 1; fi
  wait $pid; rc=$?
  [ $rc -eq 0 ] || { echo "FAIL: ended with status $rc"; cat "$log"; exit 1; }
  if grep -q "GL error\|GL_INVALID" "$log"; then echo "FAIL: a GL error"; cat "$log"; exit 1; fi
  echo "window on OpenGL ES: status 0"
' _ "$ZANT" "$data" || exit 1

"$ZANT" --gles --data "$data" --still 12.7 --out gles.png >still.log 2>&1 || { echo "FAIL: --gles --still"; cat still.log; exit 1; }
[ -s gles.png ] || { echo "FAIL: no picture"; exit 1; }
echo "still on OpenGL ES: written"
