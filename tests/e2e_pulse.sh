#!/usr/bin/env bash
# End to end through a real sound server: a private PulseAudio server with a
# null sink, the show played through it with SDL's pulseaudio driver and the
# sink's monitor recorded. The recording must be the song, decoded by the
# program's own sound layer, from the song time the show starts at (0) to
# its last frame, with no gap longer than a millisecond. The server runs at
# real-time priority, as desktop sound servers do.
#
# A machine loaded far past its cores can still starve the server or the
# show for longer than the device's queue lasts; such a play is played
# again, up to three times in all. A fault of ours (a period lost, a small
# queue, a seam) shows in every play.
# Skips (77) only when PulseAudio cannot start here, and never under CI.
set -u
ZANT=$(realpath "$1")
SRC=$(realpath "$2")
BIN=$(realpath "${3:-.}")
GAPS="$BIN/tests/soundgaps"
. "$SRC/tests/support/pulse_show.sh"
. "$SRC/tests/e2e_lib.sh"

make_work pulse
trap 'pulse_stop; e2e_cleanup' EXIT
start_xvfb 1024x768x24 || exit 1
mkdir -p "$work/data"
if ! ls "$BIN"/data/*.jpg >/dev/null 2>&1; then
  echo "FAIL: no pictures in $BIN/data (the data fixture makes them)"; exit 1
fi
cp "$BIN"/data/*.jpg "$work/data/"
[ -x "$GAPS" ] || { echo "FAIL: $GAPS is not built"; exit 1; }
pulse_make_song "$work/data/tunemix.mp3" 8 || { echo "FAIL: ffmpeg could not make the test song"; exit 1; }

if ! pulse_start "$work"; then
  if [ -n "${CI:-}" ]; then
    echo "FAIL: under CI the sound server must start: $pulse_why"; exit 1
  fi
  echo "SKIP: no PulseAudio server can start here: $pulse_why"; exit 77
fi

value() { echo "$figures" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
over() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# One play; 0 when the recording is the whole song without a gap, 1 when it
# has gaps (worth another play), 2 for anything else.
play_once() {
  pulse_play "$work" "$ZANT" "$work/data"
  local rc=$?
  if [ $rc -ne 0 ]; then
    echo "FAIL: the show ended with status $rc"; sed 's/^/  | /' "$work/zant.log"; return 2
  fi
  echo "server latency for the show's stream: $(pulse_latency "$work")"
  figures=$("$GAPS" "$work/data/tunemix.mp3" "$work/rec.raw" 2>"$work/gaps.log")
  echo "recording against the song: $figures"
  grep -F "warning" "$work/zant.log" | sed 's/^/zant said: /'
  if [ -z "$figures" ]; then
    echo "FAIL: the recording holds no part of the song"; cat "$work/gaps.log"; return 2
  fi
  # The server's own start of a stream (its sink rewinding to take it in)
  # can hide the first few ms from the monitor, in every version of the
  # show; later than that is ours.
  if over "$(value start_ms)" 25.0; then
    echo "FAIL: the sound began at song time $(value start_ms) ms, not at the show's start"; return 2
  fi
  if [ "$(value ended)" != 1 ]; then
    echo "FAIL: the recording stops at $(value played_ms) ms of the song's $(value song_ms) ms"; return 2
  fi
  if over "$(value longest_gap_ms)" 1.0; then
    echo "a gap of $(value longest_gap_ms) ms ($(value gaps) gaps, $(value lost_ms) ms in all):"
    head -10 "$work/gaps.log" | sed 's/^/  | /'
    return 1
  fi
  return 0
}

for attempt in 1 2 3; do
  play_once
  case $? in
    0) echo "play $attempt: the whole song, no gap"; exit 0 ;;
    2) exit 1 ;;
  esac
  echo "play $attempt had gaps (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
done
echo "FAIL: every play had a gap longer than a millisecond"
exit 1
