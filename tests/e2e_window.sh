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
. "$(dirname "$0")/e2e_lib.sh"
start_window_test window || exit 1

run_case() {
  local how=$1 log="$1.log"
  "$ZANT" --windowed --nosound --data "$data" >"$log" 2>&1 &
  pid=$!
  find_window || { kill $pid 2>/dev/null; return 1; }
  size=$(xwininfo -id "$wid" | awk "/Width:/{w=\$2} /Height:/{h=\$2} END{print w\"x\"h}")
  [ "$size" = "640x480" ] || { echo "FAIL: client size $size"; kill $pid 2>/dev/null; return 1; }
  wid=$(zant_windows | tail -1)
  # Home until the frame loop answers with a seek: start-up is over.
  press_until "$log" "to pattern 0$" --window "$wid" Home || { kill $pid 2>/dev/null; return 1; }
  if [ "$how" = escape ]; then
    xdotool key --window "$wid" Escape 2>/dev/null  # key-up may find the window gone
  else
    "$BIN/tests/xclose" "$wid"
  fi
  start=$(date +%s%N)
  wait_exit 60 || return 1
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  echo "$how: status $rc after ${ms} ms"
  [ $rc -eq 0 ] || { echo "FAIL: $how ended with status $rc"; cat "$log"; return 1; }
}

run_case escape || fail=1
run_case close || fail=1
exit $fail
