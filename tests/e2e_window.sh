#!/usr/bin/env bash
# End to end: the real program in a window under Xvfb, closed by Escape and by
# the window manager's close, each ending with status 0. The close comes once
# the frame loop has answered a key (a logged seek), not after a fixed time;
# the program then has a minute to end, however loaded the machine is, and
# the time it took is printed.
set -u
ZANT=$1
SRC=$2
BIN=$3
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1 ZANT_LOG_SEEKS=1
data="$BIN/data"
work=$(mktemp -d "${TMPDIR:-/tmp}/zant_e2e_window.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

run_case() {
  local how=$1
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    ZANT=$1; how=$2; BIN=$3; data=$4
    log="$how.log"
    "$ZANT" --windowed --nosound --data "$data" >"$log" 2>&1 &
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
    wid=$(xdotool search --name "^ZANT$" 2>/dev/null | tail -1)
    # Home until the frame loop answers with a seek: start-up is over.
    for i in $(seq 1 120); do
      kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat "$log"; exit 1; }
      xdotool key --window "$wid" Home 2>/dev/null
      sleep 0.5
      grep -q "to pattern 0$" "$log" && break
    done
    grep -q "to pattern 0$" "$log" || { echo "FAIL: no answer to Home within a minute"; cat "$log"; kill $pid; exit 1; }
    if [ "$how" = escape ]; then
      xdotool key --window "$wid" Escape 2>/dev/null  # key-up may find the window gone
    else
      "$BIN/tests/xclose" "$wid"
    fi
    start=$(date +%s%N)
    for i in $(seq 1 600); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then echo "FAIL: still running a minute after $how"; kill -9 $pid; exit 1; fi
    wait $pid; rc=$?
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    echo "$how: status $rc after ${ms} ms"
    [ $rc -eq 0 ] || { echo "FAIL: $how ended with status $rc"; cat "$log"; exit 1; }
  ' _ "$ZANT" "$how" "$BIN" "$data"
}

fail=0
run_case escape || fail=1
run_case close || fail=1
exit $fail
