#!/usr/bin/env bash
# How much sound a busy machine costs through a sound server: the show
# played through a private PulseAudio server (null sink, monitor recorded),
# once on its own and once beside two busy CPU loops; prints the gaps and
# the milliseconds of the song lost each time (goal: 0), and the latency the
# server reports for the show's stream.
#
#   bench/sound_gaps.sh <zant> <build folder> [seconds]
set -u
ZANT=$(realpath "$1")
BIN=$(realpath "$2")
SECONDS_LONG=${3:-10}
SRC=$(cd "$(dirname "$0")/.." && pwd)
. "$SRC/tests/support/pulse_show.sh"
. "$SRC/tests/e2e_lib.sh"

make_work sound_gaps
busy=()
cleanup() {
  for p in "${busy[@]}"; do kill "$p" 2>/dev/null; done
  pulse_stop
  e2e_cleanup
}
trap cleanup EXIT
start_xvfb 1024x768x24 || exit 1
mkdir -p "$work/data"
cp "$BIN"/data/*.jpg "$work/data/"
pulse_make_song "$work/data/tunemix.mp3" "$SECONDS_LONG"
pulse_start "$work" || { echo "sound_gaps: $pulse_why"; exit 1; }

run() {
  local label=$1
  pulse_play "$work" "$ZANT" "$work/data"
  local figures
  figures=$("$BIN/tests/soundgaps" "$work/data/tunemix.mp3" "$work/rec.raw" 2>/dev/null)
  echo "$label: $figures"
  echo "$label: server latency $(pulse_latency "$work")"
  grep -F "warning" "$work/zant.log" | sed "s/^/$label: zant said: /"
}

run "quiet"
for i in 1 2; do
  (while :; do :; done) &
  busy+=($!)
done
run "two busy loops"
