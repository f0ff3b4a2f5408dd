#!/usr/bin/env bash
# End to end: the real program in a window under Xvfb, closed by Escape and by
# the window manager's close, each ending with status 0 within a second.
set -u
ZANT=$1
SRC=$2
BIN=$3
cd "$SRC"
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1

run_case() {
  local how=$1
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    ZANT=$1; how=$2; BIN=$3
    "$ZANT" --windowed --nosound >/tmp/zant_e2e_window.$$ 2>&1 &
    pid=$!
    wid=""
    for i in $(seq 1 600); do   # up to a minute: start-up is slow on a loaded machine
      wid=$(xdotool search --name "^ZANT$" 2>/dev/null | head -1)
      [ -n "$wid" ] && break
      sleep 0.1
    done
    [ -n "$wid" ] || { echo "FAIL: no window"; kill $pid; exit 1; }
    size=$(xwininfo -id "$wid" | awk "/Width:/{w=\$2} /Height:/{h=\$2} END{print w\"x\"h}")
    [ "$size" = "640x480" ] || { echo "FAIL: client size $size"; kill $pid; exit 1; }
    sleep 4   # let start-up reach the frame loop
    kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat /tmp/zant_e2e_window.$$; exit 1; }
    wid=$(xdotool search --name "^ZANT$" 2>/dev/null | tail -1)
    if [ "$how" = escape ]; then
      xdotool key --window "$wid" Escape 2>/dev/null  # key-up may find the window gone
    else
      "$BIN/tests/xclose" "$wid"
    fi
    start=$(date +%s%N)
    limit=20   # 1 s in 50 ms steps; sanitizer builds get 15 s
    [ -n "${ZANT_SANITIZED:-}" ] && limit=300
    for i in $(seq 1 $limit); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
    if kill -0 $pid 2>/dev/null; then echo "FAIL: still running $((limit / 20)) s after $how"; kill -9 $pid; exit 1; fi
    wait $pid; rc=$?
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    echo "$how: status $rc after ${ms} ms"
    [ $rc -eq 0 ]
  ' _ "$ZANT" "$how" "$BIN"
}

fail=0
run_case escape || fail=1
run_case close || fail=1
exit $fail
