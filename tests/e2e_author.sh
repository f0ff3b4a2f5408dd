#!/usr/bin/env bash
# End to end: the authoring keys on the real program in a window under Xvfb,
# on a copy of the data folder, driven with xdotool.
#  - p pauses: two screenshots a second apart are the same picture, even in
#    a row with the flicker; after p again they differ.
#  - 60 presses of "." while paused move the clock by 735 samples each, one
#    second in all, to the sample.
#  - r after a picture is replaced shows the new picture; r after it is
#    replaced by a broken file warns, keeps the picture and the show.
#  - [ ] l loop the current pattern: the clock stays inside it for three
#    whole passes, and Space in the loop records the pattern it is in.
#  - --loop A:B starts the show looping at A; --watch reloads a picture as
#    soon as it is saved; bad --loop values end with status 2.
# Every wait is for the event itself (a log line, a file), up to a minute.
set -u
ZANT=$(realpath "$1")
SRC=$2
BIN=${3:-}
. "$(dirname "$0")/e2e_lib.sh"
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1 ZANT_LOG_SEEKS=1 ZANT_LOG_CLOCK=1
PATTERN_SAMPLES=235200  # 16 beats at 180 BPM, at 44100 Hz

make_work author
data="$work/data"
mkdir -p "$data"
cp "$BIN"/data/*.jpg "$data/" 2>/dev/null
[ -e "$data/bg1.jpg" ] && [ -e "$data/gridi.jpg" ] || { echo "FAIL: no pictures in $BIN/data"; exit 1; }
if [ -e "$BIN/data/tunemix.mp3" ]; then
  cp "$BIN/data/tunemix.mp3" "$data/"
else
  ffmpeg -v error -f lavfi -i "sine=frequency=220:duration=90" -ac 2 -ar 44100 -c:a libmp3lame "$data/tunemix.mp3" ||
    { echo "FAIL: no song and no way to make one"; exit 1; }
fi

# Bad --loop values: status 2 and a message naming --loop, before any window.
for bad in "5:3" "2" "-1:2" "nan:2" "1:inf" "1:999"; do
  out=$(cd "$work" && "$ZANT" --windowed --data "$data" --loop "$bad" 2>&1)
  rc=$?
  check "--loop $bad ends with status 2 ($rc) naming --loop" '[ $rc -eq 2 ] && grep -q -- "--loop" <<<"$out"'
done

# The show in a window. Runs SCRIPT (bash, with wid, pid and the helpers
# below) while the program runs, then Escape; the log goes to NAME.log. In a
# subshell: a failed step ends the session, and the checks after it run.
session() (
  name=$1; script=$2
  shift 2
  cd "$work" || exit 1
  log=$name.log
  # wait_for REGEX [COUNT]: until COUNT log lines match, up to a minute.
  wait_for() { wait_until "\"$1\" (x${2:-1}) in the log" log_has "$log" "$1" "${2:-1}"; }
  # later N: until N more frames have been drawn.
  later() { wait_for "^zant: info: frame at" $(( $(grep -c "^zant: info: frame at" "$log") + $1 )); }
  # shot FILE: a screenshot, waited for until it is complete.
  complete_bmp() { [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq 921654 ]; }
  shot() { xdotool key s; wait_until "$1" complete_bmp "$1"; }
  "$ZANT" --windowed --data "$data" "$@" >"$log" 2>&1 &
  pid=$!
  find_window || { kill $pid 2>/dev/null; exit 1; }
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  wait_for "^zant: info: frame at" || { kill $pid 2>/dev/null; exit 1; }
  steps() { eval "$script"; }
  ok=0
  steps || ok=1
  xdotool key Escape 2>/dev/null
  wait_exit 30 || exit 1
  echo "$name: exit status $rc"
  [ $rc -eq 0 ] && [ $ok -eq 0 ]
)

start_xvfb 1024x768x24 || exit 1

# --- keys: pause, steps, reload, loop ---------------------------------------
# In the cube swarm (pattern 7), whose flicker draws new noise every frame.
keys_script='
  xdotool key p
  wait_for "^zant: info: paused at" || return 1
  shot vkt00000.bmp && sleep 1 && later 2 && shot vkt00001.bmp || return 1
  for i in $(seq 1 60); do xdotool key period; done
  wait_for "^zant: info: step to" 60 || return 1
  shot vkt00002.bmp || return 1
  cp "$data/gridi.jpg" "$data/bg1.jpg"
  xdotool key r
  wait_for "^zant: info: reloaded" 1 || return 1
  shot vkt00003.bmp || return 1
  printf "this is not a picture\n" >"$data/bg1.jpg"
  xdotool key r
  wait_for "^zant: info: reloaded" 2 || return 1
  shot vkt00004.bmp || return 1
  kill -0 $pid || { echo "FAIL: a broken picture ended the show"; return 1; }
  xdotool key p
  wait_for "^zant: info: resumed at" || return 1
  shot vkt00005.bmp && sleep 1 && later 2 && shot vkt00006.bmp || return 1
  # Set while paused, so all three keys find the clock in one pattern
  # however slowly a loaded machine draws the frames between them.
  xdotool key p
  wait_for "^zant: info: paused at" 2 || return 1
  xdotool key bracketleft bracketright l
  wait_for "^zant: info: loop [0-9.]+ to [0-9.]+ on$" || return 1
  xdotool key p
  wait_for "^zant: info: resumed at" 2 || return 1
  later 3
  xdotool key space
  # Three whole passes: the clock goes back four times after the loop began.
  for i in $(seq 1 600); do
    wraps=$(sed -n "/ on\$/,\$ s/^zant: info: frame at ms [0-9]* (sample \([0-9]*\))\$/\1/p" "$log" |
      awk "NR > 1 && \$1 < prev { n++ } { prev = \$1 } END { print n + 0 }")
    [ "$wraps" -ge 4 ] && break
    sleep 0.1
  done
  [ "$wraps" -ge 4 ] || { echo "FAIL: $wraps loop seams within a minute"; return 1; }
'
session keys "$keys_script" --start 7.2 || fail=1
log=$work/keys.log

same() { cmp -s "$work/$1" "$work/$2"; }
check "paused: two screenshots a second apart are the same" 'same vkt00000.bmp vkt00001.bmp'
check "playing again: two screenshots a second apart differ" '! same vkt00005.bmp vkt00006.bmp'

# Steps: from the paused sample, +735 each, 44100 (1000 ms) after 60.
paused_at=$(sed -n "s/^zant: info: paused at sample \([0-9]*\) (ms \([0-9]*\),.*/\1 \2/p" "$log" | head -1)
read -r p_sample p_ms <<<"${paused_at:-0 0}"
mapfile -t steps < <(sed -n "s/^zant: info: step to sample \([0-9]*\) (ms \([0-9]*\),.*/\1 \2/p" "$log")
check "60 steps logged (got ${#steps[@]})" '[ ${#steps[@]} -eq 60 ]'
bad_steps=$(printf "%s\n" "$p_sample $p_ms" "${steps[@]}" | awk 'NR > 1 && $1 != prev + 735 { n++ } { prev = $1 } END { print n + 0 }')
check "every step moves 735 samples ($bad_steps did not)" '[ "$bad_steps" -eq 0 ]'
read -r s_sample s_ms <<<"${steps[59]:-0 0}"
check "60 steps from sample $p_sample (ms $p_ms) reach $s_sample (ms $s_ms): one second" \
  '[ $((s_sample - p_sample)) -eq 44100 ] && [ $((s_ms - p_ms)) -eq 1000 ]'

check "r after a new picture: the paused frame shows it" '! same vkt00002.bmp vkt00003.bmp'
check "r after a broken picture: a warning naming it" 'grep -q "bg1.jpg: .*the old picture stays" "$log"'
check "r after a broken picture: the picture before it stays" 'same vkt00003.bmp vkt00004.bmp'

# The loop: every frame after it went on is inside the pattern it was set in.
range=$(sed -n "s/^zant: info: loop \([0-9.]*\) to \([0-9.]*\) on$/\1 \2/p" "$log" | tail -1)
read -r l_start l_end <<<"${range:-0 0}"
check "the loop is one pattern ($l_start to $l_end)" '[ $((l_end - l_start)) -eq 1 ]'
outside=$(sed -n "/ on\$/,\$ s/^zant: info: frame at ms [0-9]* (sample \([0-9]*\))\$/\1/p" "$log" |
  awk -v a=$((l_start * PATTERN_SAMPLES)) -v b=$((l_end * PATTERN_SAMPLES)) '$1 < a || $1 >= b { n++ } END { print n + 0 }')
frames=$(sed -n "/ on\$/,\$ p" "$log" | grep -c "^zant: info: frame at")
check "the clock stayed inside the loop: $outside of $frames frames outside" '[ "$outside" -eq 0 ] && [ "$frames" -gt 10 ]'
check "Space in the loop: ticks.inc holds pattern $l_start" \
  '[ -f "$work/ticks.inc" ] && grep -q "^ 64\*$l_start + [0-9]*,$" "$work/ticks.inc"'

# --- --loop and --watch -------------------------------------------------------
cp "$BIN"/data/bg1.jpg "$data/bg1.jpg"
rm -f "$work"/vkt*.bmp
watch_script='
  xdotool key p
  wait_for "^zant: info: paused at" || return 1
  shot vkt00000.bmp || return 1
  # The way editors save: written beside it, then moved over it.
  cp "$data/gridi.jpg" "$data/.bg1.tmp" && mv "$data/.bg1.tmp" "$data/bg1.jpg"
  wait_for "^zant: info: reloaded .*bg1.jpg$" || return 1
  shot vkt00001.bmp || return 1
'
session watch "$watch_script" --loop 7:9 --watch || fail=1
log=$work/watch.log
first=$(sed -n "s/^zant: info: frame at ms [0-9]* (sample \([0-9]*\))$/\1/p" "$log" | head -1)
check "--loop 7:9 starts at pattern 7, sample $((7 * PATTERN_SAMPLES)) (first frame at ${first:-none})" \
  '[ -n "$first" ] && [ "$first" -ge $((7 * PATTERN_SAMPLES)) ] && [ "$first" -lt $((8 * PATTERN_SAMPLES)) ]'
check "--watch: a saved picture shows on the paused frame" '! same vkt00000.bmp vkt00001.bmp'

if [ $fail -ne 0 ]; then
  for f in keys watch; do
    echo "--- $f.log (without frame lines)"
    grep -v "^zant: info: frame at" "$work/$f.log" 2>/dev/null
  done
fi
if [ -n "${ZANT_E2E_KEEP:-}" ]; then cp "$work"/*.bmp "$work"/*.log "$ZANT_E2E_KEEP"/ 2>/dev/null; fi
exit $fail
