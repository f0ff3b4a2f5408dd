#!/usr/bin/env bash
# End to end: --size 1920x1080 gives a full-HD video of every frame with the
# soundtrack, the show upright in the middle and black bars left and right;
# stills and PNG sequences scale the same way; sizes that cannot work are
# refused before start-up, naming --size.
set -u
ZANT=$1
SRC=$2
BIN=$3
export ZANT_NO_DIALOGS=1
. "$(dirname "$0")/e2e_lib.sh"
make_work size
# The default data the test fixture made in the build folder, never ./data.
data="$BIN/data"
[ -e "$data/tunemix.mp3" ] || { echo "FAIL: no $data/tunemix.mp3 (the data fixture makes it)"; exit 1; }
cd "$work"
# Largest luma (0-255) over all frames of a region of a file.
ymax() { ffmpeg -v error -i "$1" -vf "crop=$2,signalstats,metadata=print:key=lavfi.signalstats.YMAX:file=-" \
  -f null - 2>/dev/null | sed -n 's/.*YMAX=//p' | sort -n | tail -1; }
psnr() { ffmpeg -v info -i "$1" -i "$2" -lavfi "[0:v]$3,format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" \
  -f null - 2>&1 | sed -n 's/.*average:\([0-9.inf]*\).*/\1/p'; }

# 12 frames at 30 fps from pattern 3.3 (the intro: no random flicker).
"$ZANT" --data "$data" --render "$work/hd.mp4" --size 1920x1080 --fps 30 --from 3.3 --to 3.375 2>"$work/log" ||
  { cat "$work/log"; fail=1; }
size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 "$work/hd.mp4")
check "video is 1920x1080 (got $size)" '[ "$size" = "1920,1080" ]'
vframes=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/hd.mp4")
check "video has 12 frames (got $vframes)" '[ "$vframes" = 12 ]'
streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$work/hd.mp4" | sort | tr '\n' ' ')
check "video has sound (got $streams)" '[ "$streams" = "audio video " ]'
# The picture spans x 240..1679; the bars stay black (video black is 16).
left=$(ymax "$work/hd.mp4" 240:1080:0:0)
right=$(ymax "$work/hd.mp4" 240:1080:1680:0)
middle=$(ymax "$work/hd.mp4" 1440:1080:240:0)
check "left bar black (luma up to $left)" '[ -n "$left" ] && [ "$left" -le 18 ]'
check "right bar black (luma up to $right)" '[ -n "$right" ] && [ "$right" -le 18 ]'
check "picture between the bars (luma up to $middle)" '[ -n "$middle" ] && [ "$middle" -ge 100 ]'
# Scaled back down, the first frame is the 640x480 still of that moment.
"$ZANT" --data "$data" --still 3.3 --out "$work/still.png" 2>/dev/null || fail=1
ffmpeg -v error -i "$work/hd.mp4" -frames:v 1 -y "$work/first.png"
p=$(psnr "$work/first.png" "$work/still.png" "crop=1440:1080:240:0,scale=640:480:flags=area")
check "first frame is the still, upright (PSNR $p dB)" 'awk -v p="$p" "BEGIN { exit !(p == \"inf\" || p + 0 > 30) }"'

# A 4K still: exact black bars, the picture in between.
"$ZANT" --data "$data" --still 3.3 --out "$work/uhd.png" --size 3840x2160 2>"$work/log" || { cat "$work/log"; fail=1; }
size=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$work/uhd.png")
check "still is 3840x2160 (got $size)" '[ "$size" = "3840,2160" ]'
bars=$(ffmpeg -v error -i "$work/uhd.png" -vf "crop=480:2160:0:0" -f rawvideo -pix_fmt gray - | tr -d '\0' | wc -c)
check "still's left bar is pure black ($bars lit pixels)" '[ "$bars" = 0 ]'
p=$(psnr "$work/uhd.png" "$work/still.png" "crop=2880:2160:480:0,scale=640:480:flags=area")
check "4K still is the still scaled (PSNR $p dB)" 'awk -v p="$p" "BEGIN { exit !(p == \"inf\" || p + 0 > 35) }"'

# A PNG sequence at 720p, numbered from 0 like the unscaled ones.
mkdir -p "$work/seq"
"$ZANT" --data "$data" --render "$work/seq/%05d.png" --size 1280x720 --fps 30 --from 3.3 --to 3.375 2>/dev/null || fail=1
check "twelve 720p frames 00000..00011" '[ "$(ls "$work/seq" | wc -l)" = 12 ] && [ -f "$work/seq/00011.png" ]'
size=$(ffprobe -v error -show_entries stream=width,height -of csv=p=0 "$work/seq/00000.png")
check "sequence frames are 1280x720 (got $size)" '[ "$size" = "1280,720" ]'

expect_fail() {  # name, message, args...
  local name=$1 msg=$2; shift 2
  out=$("$@" 2>&1); rc=$?
  if [ $rc -eq 2 ] && grep -q -- "$msg" <<<"$out" && ! grep -q "frame" <<<"$out"; then echo "ok: $name"; else
    echo "FAIL: $name: status $rc, output: $out"; fail=1; fi
}
expect_fail "zero size" "--size" "$ZANT" --data "$data" --render "$work/x.mp4" --size 0x0
expect_fail "odd width for video" "--size 1921x1080.*even" "$ZANT" --data "$data" --render "$work/x.mp4" --size 1921x1080
expect_fail "odd height for video" "--size.*even" "$ZANT" --data "$data" --render "$work/x.mp4" --size 1920x1081
expect_fail "above 8K" "--size 7682x4320.*7680x4320" "$ZANT" --data "$data" --render "$work/x.mp4" --size 7682x4320
expect_fail "malformed" "--size wants" "$ZANT" --data "$data" --render "$work/x.mp4" --size 1920by1080
expect_fail "without --render or --still" "--size" "$ZANT" --data "$data" --size 1920x1080
exit $fail
