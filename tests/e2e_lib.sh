# Sourced by every tests/e2e_*.sh: a work folder removed on exit, an X
# server of the script's own, and the waits and checks the scripts share.
#
# The X server is started with -displayfd: the server itself takes the first
# display number nobody holds (it owns the lock file before it answers) and
# writes it once it accepts connections, so two suites, or any other X
# server started at that moment, never end up on one display. It is killed
# when the script ends, however it ends.

fail=0
work=""
xvfb_pid=""

e2e_cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  [ -n "$work" ] && rm -rf "$work"
  return 0
}
trap e2e_cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

# make_work NAME: a fresh folder in $work, removed on exit.
make_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/zant_e2e_$1.XXXXXX")
}

# start_xvfb [WxHxDEPTH]: an X server on a display it picks itself; exports
# DISPLAY once it accepts connections (up to a minute on a loaded machine).
start_xvfb() {
  local screen=${1:-1024x768x24} numfile
  numfile=$(mktemp "${TMPDIR:-/tmp}/zant_xvfb.XXXXXX")
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$numfile" >/dev/null 2>"$numfile.log" &
  xvfb_pid=$!
  local i
  for i in $(seq 1 600); do
    grep -q '^[0-9][0-9]*$' "$numfile" 2>/dev/null && break
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "FAIL: Xvfb ended before it took a display"; cat "$numfile.log"
      xvfb_pid=""; rm -f "$numfile" "$numfile.log"; return 1
    fi
    sleep 0.1
  done
  if ! grep -q '^[0-9][0-9]*$' "$numfile"; then
    echo "FAIL: Xvfb named no display within a minute"; cat "$numfile.log"
    rm -f "$numfile" "$numfile.log"; return 1
  fi
  export DISPLAY=":$(cat "$numfile")"
  rm -f "$numfile" "$numfile.log"
  unset XAUTHORITY WAYLAND_DISPLAY
  echo "Xvfb on display $DISPLAY ($screen)"
}

# start_window_test NAME [WxHxDEPTH]: how a test of the program in a window
# begins: the dummy sound driver, no message boxes, seeks logged, the data
# the build's fixture made in $data, a work folder as the current one and an
# X server. Fails (1) with a FAIL line.
start_window_test() {
  export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1 ZANT_LOG_SEEKS=1
  data="$BIN/data"
  [ -e "$data/tunemix.mp3" ] || { echo "FAIL: no $data/tunemix.mp3 (the data fixture makes it)"; return 1; }
  make_work "$1"
  cd "$work" || return 1
  start_xvfb "${2:-1024x768x24}"
}

# check NAME CONDITION: prints ok or FAIL (and sets fail) by CONDITION.
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi
}

# wait_until WHAT COMMAND...: until COMMAND succeeds, up to a minute. Gives
# up at once when $pid (the program, where set) has ended.
wait_until() {
  local what=$1 i
  shift
  for i in $(seq 1 600); do
    "$@" && return 0
    if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then
      "$@" && return 0
      echo "FAIL: the program ended waiting for $what"; return 1
    fi
    sleep 0.1
  done
  echo "FAIL: no $what within a minute"; return 1
}

# log_has LOG REGEX [COUNT]: at least COUNT lines of LOG match.
log_has() {
  [ "$(grep -c -E -- "$2" "$1" 2>/dev/null)" -ge "${3:-1}" ]
}

# zant_windows: the ids of the program's windows, oldest first.
zant_windows() {
  xdotool search --name "^ZANT$" 2>/dev/null
}

# find_window: waits for the program's window (up to three minutes: a
# loaded machine, a sanitizer build) and sets wid to the first one.
find_window() {
  local i
  wid=""
  for i in $(seq 1 1800); do
    wid=$(zant_windows | head -1)
    [ -n "$wid" ] && return 0
    if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then
      echo "FAIL: the program ended before its window showed"; return 1
    fi
    sleep 0.1
  done
  echo "FAIL: no window"; return 1
}

# wait_exit SECONDS: until $pid ends (killed after SECONDS); sets rc to its
# exit status.
wait_exit() {
  local i
  for i in $(seq 1 $(($1 * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: still running $1 s later"; kill -9 "$pid"; wait "$pid" 2>/dev/null; rc=137; return 1
  fi
  wait "$pid"; rc=$?
  return 0
}

# press_until LOG REGEX KEY...: presses KEY (xdotool key's arguments) every
# half second until a line of LOG matches REGEX, up to a minute: the frame
# loop answers keys only once start-up is over, and keys pressed before
# then wait in the queue.
press_until() {
  local log=$1 re=$2 i
  shift 2
  for i in $(seq 1 120); do
    kill -0 "$pid" 2>/dev/null || { echo "FAIL: the program ended early"; cat "$log"; return 1; }
    xdotool key "$@" 2>/dev/null
    sleep 0.5
    grep -q -- "$re" "$log" && return 0
  done
  echo "FAIL: no answer to $* within a minute"; cat "$log"; return 1
}
