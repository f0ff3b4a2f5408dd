#!/usr/bin/env bash
# End to end: nothing the user named is harmed by a failed write. A full
# disk (a small tmpfs where the test may mount one, and a file-size limit
# everywhere) leaves an existing picture, video and frame byte-identical with
# no temporary file beside them; a device, a pipe or a folder given as the
# output is refused before anything is written, and is still there after.
set -u
ZANT=$1
SRC=$2
BIN=$3
. "$(dirname "$0")/e2e_lib.sh"
export ZANT_NO_DIALOGS=1
make_work outfiles
small=$work/small
# The small disk is unmounted before the work folder goes.
trap 'mountpoint -q "$small" 2>/dev/null && umount "$small"; e2e_cleanup' EXIT
cd "$BIN"
[ -e data/tunemix.mp3 ] || { echo "FAIL: no $BIN/data/tunemix.mp3 (the data fixture makes it)"; exit 1; }
only() { [ "$(ls -A "$1" | tr '\n' ' ')" = "$2" ]; }

# The pictures that must survive: a real still, a stand-in video and frame.
"$ZANT" --still 5 --out "$work/keep.png" 2>/dev/null || { echo "FAIL: no still to keep"; exit 1; }
echo "a finished video" >"$work/keep.mp4"

# A file-size limit of 16 KB makes every larger write fail, as a full disk
# would (SIGXFSZ ignored, so it shows as a failed write).
mkdir "$work/lim" "$work/lim/seq"
cp "$work/keep.png" "$work/lim/pic.png"
cp "$work/keep.png" "$work/lim/seq/00000.png"
limited() { bash -c 'trap "" XFSZ; ulimit -f 16; exec "$@"' limited "$@"; }
limited "$ZANT" --still 3 --out "$work/lim/pic.png" 2>"$work/log"; rc=$?
check "size limit: the still fails with status 1 (got $rc)" '[ $rc -eq 1 ]'
check "size limit: the message names the picture" 'grep -q "zant: .*lim/pic.png: could not write" "$work/log"'
check "size limit: the old picture is byte-identical" 'cmp -s "$work/keep.png" "$work/lim/pic.png"'
limited "$ZANT" --render "$work/lim/seq/%05d.png" --fps 30 --from 6 --to 6.1 --overwrite 2>"$work/log"; rc=$?
check "size limit: the PNG sequence fails (got $rc)" '[ $rc -eq 1 ]'
check "size limit: the old frame is byte-identical" 'cmp -s "$work/keep.png" "$work/lim/seq/00000.png"'
limited "$ZANT" --render "$work/lim/seq/%05d.png" --size 1280x720 --fps 30 --from 6 --to 6.1 --overwrite 2>"$work/log"
rc=$?
check "size limit: the scaled PNG sequence fails (got $rc)" '[ $rc -eq 1 ]'
check "size limit: the old frame is still byte-identical" 'cmp -s "$work/keep.png" "$work/lim/seq/00000.png"'
check "size limit: no temporary files left" 'only "$work/lim" "pic.png seq " && only "$work/lim/seq" "00000.png "'

# A real full disk, where this test may mount one (it needs root).
mkdir "$small"
if mount -t tmpfs -o size=512k tmpfs "$small" 2>/dev/null; then
  cp "$work/keep.png" "$small/pic.png"
  cp "$work/keep.mp4" "$small/show.mp4"
  dd if=/dev/zero of="$small/filler" bs=4k 2>/dev/null
  "$ZANT" --still 3 --out "$small/pic.png" 2>"$work/log"; rc=$?
  check "full disk: the still fails with status 1 (got $rc)" '[ $rc -eq 1 ]'
  check "full disk: the old picture is byte-identical" 'cmp -s "$work/keep.png" "$small/pic.png"'
  "$ZANT" --still 3 --out "$small/pic.png" --size 1280x960 2>"$work/log"; rc=$?
  check "full disk: the scaled still fails with status 1 (got $rc)" '[ $rc -eq 1 ]'
  check "full disk: the old picture is still byte-identical" 'cmp -s "$work/keep.png" "$small/pic.png"'
  "$ZANT" --render "$small/show.mp4" --fps 30 --from 6 --to 7 --overwrite 2>"$work/log"; rc=$?
  check "full disk: the video fails with status 1 (got $rc)" '[ $rc -eq 1 ] && grep -q "disk full" "$work/log"'
  check "full disk: the old video is byte-identical" 'cmp -s "$work/keep.mp4" "$small/show.mp4"'
  check "full disk: no temporary files left" 'only "$small" "filler pic.png show.mp4 "'
else
  echo "skip: cannot mount a tmpfs here; the size limit above stands for a full disk"
fi

# Devices, pipes and folders are refused before anything is written.
expect_refused() {  # name, message, args...
  local name=$1 msg=$2; shift 2
  out=$(timeout 60 "$@" 2>&1); rc=$?
  if [ $rc -eq 1 ] && grep -q -- "$msg" <<<"$out" && ! grep -q "wrote\|frame [0-9]" <<<"$out"; then
    echo "ok: $name"
  else
    echo "FAIL: $name: status $rc, output: $out"; fail=1
  fi
}
mkdir "$work/dev" "$work/dev/folder.png" "$work/dev/folder.mp4" "$work/dev/seq"
mkfifo "$work/dev/pipe.png" "$work/dev/pipe.mp4" "$work/dev/seq/00003.png"
expect_refused "still to /dev/full" "/dev/full is a device" "$ZANT" --still 3 --out /dev/full
check "/dev/full is still a device" '[ -c /dev/full ]'
expect_refused "still to a pipe" "pipe.png is a pipe" "$ZANT" --still 3 --out "$work/dev/pipe.png"
expect_refused "still to a folder" "folder.png is a folder" "$ZANT" --still 3 --out "$work/dev/folder.png"
expect_refused "second of two stills to a device" "/dev/null is a device" \
  "$ZANT" --still 3 --out "$work/dev/first.png" --still 4 --out /dev/null
check "the first of the two was not written either" '[ ! -e "$work/dev/first.png" ]'
check "/dev/null is still a device" '[ -c /dev/null ]'
expect_refused "video to a pipe" "pipe.mp4 is a pipe" "$ZANT" --render "$work/dev/pipe.mp4" --overwrite
expect_refused "video to a folder" "folder.mp4 is a folder" "$ZANT" --render "$work/dev/folder.mp4" --overwrite
expect_refused "sequence with a pipe among its frames" "00003.png is a pipe" \
  "$ZANT" --render "$work/dev/seq/%05d.png" --fps 30 --from 6 --to 6.1
check "no frame was written before the refusal" 'only "$work/dev/seq" "00003.png "'
check "pipes and folders are still there" \
  '[ -p "$work/dev/pipe.png" ] && [ -p "$work/dev/pipe.mp4" ] && [ -p "$work/dev/seq/00003.png" ] && [ -d "$work/dev/folder.png" ]'
check "no temporary files beside them" \
  'only "$work/dev" "folder.mp4 folder.png pipe.mp4 pipe.png seq " && only "$work/dev/folder.png" ""'

# An existing video or frame is replaced only with --overwrite.
mkdir "$work/again"
cp "$work/keep.mp4" "$work/again/show.mp4"
expect_refused "existing video without --overwrite" "show.mp4: the file exists; add --overwrite" \
  "$ZANT" --render "$work/again/show.mp4" --fps 30 --from 6 --to 6.1
check "the existing video is untouched" 'cmp -s "$work/keep.mp4" "$work/again/show.mp4"'
"$ZANT" --render "$work/again/show.mp4" --fps 30 --from 6 --to 6.1 --overwrite 2>"$work/log"; rc=$?
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 \
  "$work/again/show.mp4" 2>/dev/null)
check "--overwrite replaces it with the render ($rc, $frames frames)" '[ $rc -eq 0 ] && [ "$frames" = 16 ]'
mkdir "$work/again/seq"
cp "$work/keep.png" "$work/again/seq/002.png"
expect_refused "existing frame without --overwrite" "frame .*002.png exists" \
  "$ZANT" --render "$work/again/seq/%03d.png" --fps 30 --from 6 --to 6.1
check "no frame written before that refusal" 'only "$work/again/seq" "002.png "'

# A PNG sequence's folders are made as needed.
"$ZANT" --render "$work/new/deeper/%03d.png" --fps 30 --from 6 --to 6.1 2>"$work/log"; rc=$?
check "sequence into folders that did not exist ($rc)" \
  '[ $rc -eq 0 ] && [ "$(ls "$work/new/deeper" | wc -l)" = 16 ] && [ -f "$work/new/deeper/015.png" ]'

# --crf trades quality for size: 40 makes a smaller file than the default 18.
"$ZANT" --render "$work/crf18.mp4" --fps 30 --from 6 --to 6.5 2>/dev/null
"$ZANT" --render "$work/crf40.mp4" --fps 30 --from 6 --to 6.5 --crf 40 2>/dev/null
s18=$(stat -c %s "$work/crf18.mp4" 2>/dev/null || echo 0)
s40=$(stat -c %s "$work/crf40.mp4" 2>/dev/null || echo 0)
check "--crf 40 is smaller than the default ($s40 < $s18 bytes)" '[ "$s40" -gt 0 ] && [ "$s40" -lt "$s18" ]'
exit $fail
