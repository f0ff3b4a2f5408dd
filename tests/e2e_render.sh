#!/usr/bin/env bash
# End to end: --render writes a short PNG sequence and an MP4 with sound,
# the same pixels every time, and refuses bad requests with a clear message.
set -u
ZANT=$1
SRC=$2
BIN=$3
export ZANT_NO_DIALOGS=1
. "$(dirname "$0")/e2e_lib.sh"
make_work render
# The program reads ./data: here the default data the test fixture made.
cd "$BIN"
[ -e data/tunemix.mp3 ] || { echo "FAIL: no $BIN/data/tunemix.mp3 (the data fixture makes it)"; exit 1; }

# 12 frames at 30 fps from pattern 6.
mkdir -p "$work/a" "$work/b"
"$ZANT" --render "$work/a/%05d.png" --fps 30 --from 6 --to 6.08 2>"$work/log" || { cat "$work/log"; fail=1; }
"$ZANT" --render "$work/b/%05d.png" --fps 30 --from 6 --to 6.08 2>/dev/null || fail=1
check "twelve PNG frames" '[ "$(ls "$work/a" | wc -l)" = 12 ]'
size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 "$work/a/00000.png")
check "frames are 640x480 (got $size)" '[ "$size" = "640,480" ]'
check "second render has identical frames" 'diff -rq "$work/a" "$work/b" >/dev/null'
check "progress line on stderr" 'grep -q "frame 12 of 12" "$work/log"'

"$ZANT" --render "$work/show.mp4" --fps 30 --from 6 --to 6.08 2>"$work/log" || { cat "$work/log"; fail=1; }
dur=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/show.mp4")
check "mp4 lasts about 0.4 s (got $dur)" 'awk -v d="$dur" "BEGIN{exit !(d > 0.3 && d < 0.55)}"'
streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/show.mp4" | sort | tr '\n' ' ')
check "mp4 has video and audio (got $streams)" '[ "$streams" = "audio video " ]'
vframes=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/show.mp4")
check "mp4 has 12 video frames (got $vframes)" '[ "$vframes" = 12 ]'

# Ctrl+C mid-render leaves a playable file of the frames done so far.
"$ZANT" --render "$work/cut.mp4" --fps 30 --from 10 --to 20 2>"$work/log" &
pid=$!
for i in $(seq 1 600); do grep -q "frame [1-9]" "$work/log" 2>/dev/null && break; sleep 0.1; done
sleep 1
kill -INT $pid
wait $pid; rc=$?
check "interrupted render ends with status 130 (got $rc)" '[ $rc -eq 130 ]'
cutframes=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/cut.mp4" 2>/dev/null)
# Fewer frames than the whole range (1600), however fast the machine.
check "interrupted file plays ($cutframes frames)" '[ -n "$cutframes" ] && [ "$cutframes" -gt 0 ] && [ "$cutframes" -lt 1600 ]'

# Ctrl+C in a terminal goes to the whole foreground process group, ffmpeg's
# too unless it has a group of its own: the same ending, with the file whole.
# ffmpeg takes its Ctrl+C handler only once it has started encoding, when
# it has written the start of the file.
setsid "$ZANT" --render "$work/group.mp4" --fps 30 --from 10 --to 20 2>"$work/log" &
pid=$!
# The video grows under a temporary name beside group.mp4 until it is whole.
for i in $(seq 1 1200); do
  [ -n "$(find "$work" -maxdepth 1 -name '*group*.mp4' -size +0c -print -quit)" ] && break
  sleep 0.1
done
sleep 0.5
pgid=$(ps -o pgid= -p $pid | tr -d ' ')
check "zant leads its own process group (pid $pid, group $pgid)" '[ "$pgid" = "$pid" ]'
kill -INT -- -$pgid
wait $pid; rc=$?
check "group-interrupted render ends with status 130 (got $rc)" '[ $rc -eq 130 ]'
check "group-interrupted render says how many frames it holds" 'grep -q "holds the [0-9]* frames rendered" "$work/log"'
check "no write failure reported" '! grep -q "could not write\|incomplete" "$work/log"'
groupframes=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/group.mp4" 2>/dev/null)
held=$(sed -n 's/.*holds the \([0-9]*\) frames rendered.*/\1/p' "$work/log")
check "group-interrupted file plays with the frames it says ($groupframes of $held)" '[ -n "$groupframes" ] && [ "$groupframes" = "$held" ]'

expect_fail() {  # name, status, message, args...
  local name=$1 want=$2 msg=$3; shift 3
  out=$("$@" 2>&1); rc=$?
  if [ $rc -eq "$want" ] && grep -q -- "$msg" <<<"$out"; then echo "ok: $name"; else
    echo "FAIL: $name: status $rc, output: $out"; fail=1; fi
}
expect_fail "missing folder" 1 "does not exist" "$ZANT" --render "$work/nope/x.mp4"
expect_fail "unwritable folder" 1 "not writable" "$ZANT" --render /proc/x.mp4
expect_fail "from after to" 2 "before --to" "$ZANT" --render "$work/x.mp4" --from 8 --to 7
expect_fail "range outside the song" 2 "--from 500: song times run from 0 to" "$ZANT" --render "$work/x.mp4" --from 500
expect_fail "fps not positive" 2 "positive" "$ZANT" --render "$work/x.mp4" --fps 0
expect_fail "unknown container" 2 ".mp4 or .mkv" "$ZANT" --render "$work/x.avi"
expect_fail "ffmpeg missing" 1 "ffmpeg" env PATH=/nonexistent "$ZANT" --render "$work/x.mp4"
# A size limit makes every write past ~100 KB fail, as a full disk would.
expect_fail "disk full" 1 "disk full" bash -c "ulimit -f 200; exec \"$ZANT\" --render \"$work/full.mp4\" --fps 30 --from 6 --to 7"
exit $fail
