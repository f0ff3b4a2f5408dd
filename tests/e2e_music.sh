#!/usr/bin/env bash
# End to end: the real program with a short test song. Through SDL's disk
# audio driver it must play every sample of the song and end by itself with
# status 0; with --nosound it must open no device and still end by itself;
# each bad music file must end it with its message and status 1.
set -u
ZANT=$(realpath "$1")
SRC=$2
BIN=${3:-}
SONG="$SRC/tests/data/music/sweep_stereo_44k.mp3"  # 3 s, 132300 frames
SONG_FRAMES=132300
. "$(dirname "$0")/e2e_lib.sh"

make_work music
mkdir -p "$work/data"

# The default pictures the test fixture made in the build folder.
if ls "$BIN"/data/*.jpg >/dev/null 2>&1; then
  cp "$BIN"/data/*.jpg "$work/data/"
else
  echo "FAIL: no pictures in $BIN/data (the data fixture makes them)"; exit 1
fi

export ZANT_NO_DIALOGS=1
start_xvfb 1024x768x24 || exit 1
# A client that finds no server must not start one of its own.
echo "autospawn = no" >"$work/client.conf"

# run NAME EXPECTED_STATUS "VAR=VALUE ..." [ARGS...]: runs the program in
# $work in a window, output in $work/NAME.log.
run() {
  local name=$1 want=$2 vars=$3
  shift 3
  # shellcheck disable=SC2086  # the variables are meant to split
  (cd "$work" && timeout 60 env $vars "$ZANT" --windowed \
      --data "$work/data" "$@" >"$work/$name.log" 2>&1)
  local rc=$?
  if [ $rc -ne "$want" ]; then
    echo "FAIL: $name: status $rc, expected $want"; sed 's/^/  | /' "$work/$name.log"; return 1
  fi
  echo "$name: status $rc"
}

expect_said() {
  local name=$1 text=$2
  if ! grep -qF -- "$text" "$work/$name.log"; then
    echo "FAIL: $name: no \"$text\" in its output"; sed 's/^/  | /' "$work/$name.log"; return 1
  fi
}

# A song on a device: every frame of it reaches the output, then the end.
cp "$SONG" "$work/data/tunemix.mp3"
run device 0 "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/out.raw" || fail=1
if [ -f "$work/out.raw" ]; then
  sounding=$(od -An -v -t d2 -w4 "$work/out.raw" | awk '{ if ($2 > 100 || $2 < -100) n++ } END { print n + 0 }')
  # The right channel is a steady half-scale tone: all but its zero crossings.
  if [ "$sounding" -lt $((SONG_FRAMES * 9 / 10)) ] || [ "$sounding" -gt "$SONG_FRAMES" ]; then
    echo "FAIL: device: $sounding sounding frames, the song has $SONG_FRAMES"; fail=1
  else
    echo "device: $sounding sounding frames of $SONG_FRAMES"
  fi
else
  echo "FAIL: device: nothing was played"; fail=1
fi

# The same output, frame by frame against the song as the sound layer
# decodes it, as the sound-server test compares its recording; and a gap of
# 100 frames (2.27 ms) put into it is found, with its length.
GAPS="$BIN/tests/soundgaps"
if [ -x "$GAPS" ] && [ -f "$work/out.raw" ]; then
  whole=$("$GAPS" "$SONG" "$work/out.raw" 2>&1)
  case "$whole" in
    *"start_ms=0.00 "*" gaps=0 longest_gap_ms=0.00 lost_ms=0.00 ended=1"*) echo "device: the whole song, no gap" ;;
    *) echo "FAIL: device: against the song: $whole"; fail=1 ;;
  esac
  half=$(($(stat -c %s "$work/out.raw") / 8 * 4))
  { head -c "$half" "$work/out.raw"; head -c 400 /dev/zero; tail -c +$((half + 1)) "$work/out.raw"; } >"$work/gap.raw"
  gapped=$("$GAPS" "$SONG" "$work/gap.raw" 2>/dev/null)
  case "$gapped" in
    *" gaps=1 longest_gap_ms=2.27 "*"ended=1"*) echo "device: a planted 2.27 ms gap is found" ;;
    *) echo "FAIL: a planted gap of 100 frames: $gapped"; fail=1 ;;
  esac
else
  echo "FAIL: $GAPS is not built"; fail=1
fi

# Silent: no device is opened, the song still ends the show.
rm -f "$work/silent.raw"
run silent 0 "SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/silent.raw" --nosound || fail=1
[ -e "$work/silent.raw" ] && { echo "FAIL: silent: an audio device was opened"; fail=1; }

# No usable device without --nosound.
run nodevice 1 "SDL_AUDIODRIVER=no_such_driver" || fail=1
expect_said nodevice "Error initializing output device." || fail=1
expect_said nodevice "no_such_driver" || fail=1
expect_said nodevice "run with --nosound to watch without sound" || fail=1

# No sound server to reach: the same box, the driver's reason.
run noserver 1 "SDL_AUDIODRIVER=pulseaudio PULSE_SERVER=unix:$work/no-server PULSE_CLIENTCONFIG=$work/client.conf" || fail=1
expect_said noserver "Error initializing output device." || fail=1
expect_said noserver "run with --nosound to watch without sound" || fail=1

# Bad music files.
rm -f "$work/data/tunemix.mp3"
run missing 1 "" --nosound || fail=1
expect_said missing "$work/data/tunemix.mp3 not found" || fail=1

: >"$work/data/tunemix.mp3"
run empty 1 "" --nosound || fail=1
expect_said empty "$work/data/tunemix.mp3 is empty" || fail=1

cp "$work/data/bg1.jpg" "$work/data/tunemix.mp3"
run picture 1 "" --nosound || fail=1
expect_said picture "$work/data/tunemix.mp3 is not a playable MP3 file" || fail=1

# Cut short: plays what is there, ends by itself.
head -c 20000 "$SONG" >"$work/data/tunemix.mp3"
run truncated 0 "" --nosound || fail=1

exit $fail
