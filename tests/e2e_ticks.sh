#!/usr/bin/env bash
# End to end: taps recorded with Space reach ticks.inc however the run ends,
# as they do on Escape: at the song's own end, when the window manager closes
# the window, and on Ctrl+C (SIGINT); taps already written by "t" are not
# written again. Each step waits for its answer (a logged seek or loop
# change, a file), never for a fixed time.
set -u
ZANT=$1
SRC=$2
BIN=$3
. "$(dirname "$0")/e2e_lib.sh"
start_window_test ticks || exit 1

rows() { grep -c "^ 64\*" ticks.inc 2>/dev/null || echo 0; }
wait_for() {  # description, command...: up to a minute
  wait_until "$@" || { cat log.txt; fail=1; return 1; }
}
# start KEY ANSWER ARGS: the window, then KEY pressed until the log shows ANSWER.
start() {
  local key=$1 answer=$2 i; shift 2
  rm -f ticks.inc
  # A shell starts background jobs with SIGINT ignored; a terminal does not.
  env --default-signal=INT "$ZANT" --windowed --nosound --data "$data" "$@" >log.txt 2>&1 &
  pid=$!
  find_window || { cat log.txt; kill $pid 2>/dev/null; exit 1; }
  for i in $(seq 1 240); do   # up to two minutes: start-up is slow on a loaded machine
    kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat log.txt; exit 1; }
    xdotool key --window "$wid" "$key" 2>/dev/null; sleep 0.5
    grep -q "$answer" log.txt && break
  done
  grep -q "$answer" log.txt || { echo "FAIL: no answer to $key"; cat log.txt; kill $pid; exit 1; }
}
finish() {  # what ended it
  wait_exit 60 || { cat log.txt; fail=1; }
  echo "$1: status $rc"
}
has_rows() { [ -f ticks.inc ] && [ "$(tail -1 ticks.inc)" = "};" ] && [ "$(rows)" -eq "$1" ]; }

# The song ends by itself: a loop over its last pattern holds it until
# "l" lets it play out.
start bracketleft "loop 37 to 37.9 on" --loop 37:37.9
xdotool key --window "$wid" space l
finish "the song's end"
check "song end: status 0" "[ $rc -eq 0 ]"
check "song end: ticks.inc holds the tap in pattern 37" "has_rows 1 && grep -q \"^ 64\\*37 + \" ticks.inc"

# The window manager closes the window.
start Home "to pattern 0$" --start 12
xdotool key --window "$wid" space
sleep 0.2
xdotool key --window "$wid" Next
wait_for "answer to Page Down" grep -q "to pattern 1$" log.txt
"$BIN/tests/xclose" "$wid"
finish "the window closed"
check "window closed: status 0" "[ $rc -eq 0 ]"
check "window closed: ticks.inc holds the tap" "has_rows 1 && grep -q \"^ 64\\*0 + \" ticks.inc"

# Ctrl+C: taps since the last "t" are written, the ones before it not again.
start Home "to pattern 0$" --start 12
xdotool key --window "$wid" space t
wait_for "the first tap written by t" has_rows 1
rm ticks.inc
xdotool key --window "$wid" Next
wait_for "answer to Page Down" grep -q "to pattern 1$" log.txt
kill -INT $pid
finish "Ctrl+C with every tap written"
check "Ctrl+C after t: nothing left to write, no ticks.inc" "[ ! -e ticks.inc ]"
start Home "to pattern 0$" --start 12
xdotool key --window "$wid" space Next
wait_for "answer to Page Down" grep -q "to pattern 1$" log.txt
kill -INT $pid
finish "Ctrl+C"
check "Ctrl+C: status 0" "[ $rc -eq 0 ]"
check "Ctrl+C: ticks.inc holds the tap" "has_rows 1"
exit $fail
