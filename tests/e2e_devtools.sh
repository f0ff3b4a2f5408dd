#!/usr/bin/env bash
# End to end: the developer keys on the real program in a window under Xvfb,
# typed with xdotool. Page Down twice steps two whole patterns (seen in the
# seek log), two Space taps land in the pattern reached, Shift+S and Shift+I
# do nothing, "s" saves the frame, "i" then "s" saves it with the overlay's
# white text in the bottom rows, and Escape quits (status 0) after writing
# the taps to ticks.inc.
set -u
ZANT=$1
SRC=$2
BIN=$3
export SDL_AUDIODRIVER=dummy ZANT_NO_DIALOGS=1 ZANT_LOG_SEEKS=1

work=$(mktemp -d "${TMPDIR:-/tmp}/zant_e2e_devtools.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The show's own data when it is there; otherwise the pictures with a plain
# one-minute tone as the song.
data="$SRC/data"
if [ ! -e "$data/tunemix.mp3" ]; then
  data="$work/data"
  mkdir -p "$data"
  for f in "$SRC"/data/*.jpg; do [ -e "$f" ] && ln -s "$f" "$data/"; done
  ffmpeg -v error -f lavfi -i "sine=frequency=220:duration=60" -ac 2 -ar 44100 -c:a libmp3lame "$data/tunemix.mp3" ||
    { echo "FAIL: no song and no way to make one"; exit 1; }
fi

cd "$work"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  ZANT=$1; data=$2
  "$ZANT" --windowed --nosound --data "$data" >log.txt 2>&1 &
  pid=$!
  wid=""
  for i in $(seq 1 600); do   # up to a minute: start-up is slow on a loaded machine
    wid=$(xdotool search --name "^ZANT$" 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || { echo "FAIL: no window"; kill $pid; exit 1; }
  kill -0 $pid 2>/dev/null || { echo "FAIL: program ended early"; cat log.txt; exit 1; }
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  # Home until the frame loop answers with a seek (start-up takes a while,
  # longer under sanitizers); keys pressed before then wait in the queue.
  for i in $(seq 1 120); do
    xdotool key Home
    sleep 0.5
    grep -q "to pattern 0$" log.txt && break
  done
  grep -q "to pattern 0$" log.txt || { echo "FAIL: no answer to Home within a minute"; cat log.txt; kill $pid; exit 1; }
  sleep 1
  # A second apart, so each key finds a frame drawn since the last one.
  xdotool key --delay 1000 Next Next
  sleep 0.5
  xdotool key --delay 700 space space
  sleep 0.5
  xdotool key --delay 300 shift+s shift+i
  sleep 0.5
  xdotool key s
  sleep 1
  xdotool key i
  sleep 1
  xdotool key s
  sleep 1
  xdotool key Escape 2>/dev/null
  for i in $(seq 1 600); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
  if kill -0 $pid 2>/dev/null; then echo "FAIL: still running 30 s after Escape"; kill -9 $pid; exit 1; fi
  wait $pid; rc=$?
  echo "exit status $rc"
  [ $rc -eq 0 ]
' _ "$ZANT" "$data"
rc=$?
echo "--- program output"; cat log.txt
fail=0
[ $rc -eq 0 ] || fail=1
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi
}

# Seeks after the Home ones: from song time f1 to floor(f1) + 1, then one more.
mapfile -t seeks < <(sed -n "s/^zant: seek from \([0-9.-]*\) to pattern \([1-9][0-9]*\)$/\1 \2/p" log.txt)
check "two Page Down seeks logged (got ${#seeks[@]})" '[ ${#seeks[@]} -eq 2 ]'
read -r from1 to1 <<<"${seeks[0]:-0 -99}"
read -r from2 to2 <<<"${seeks[1]:-0 -99}"
check "first Page Down from $from1 goes to the next whole pattern ($to1)" \
  'awk -v f="$from1" -v t="$to1" "BEGIN{exit !(t == int(f) + 1)}"'
check "second Page Down from $from2 goes one further ($to2)" \
  'awk -v f="$from2" -v t="$to2" -v p="$to1" "BEGIN{exit !(t == p + 1 && f > p - 0.01 && f < p + 0.5)}"'

# Ticks: two taps, both in the pattern the seeks reached.
check "ticks.inc written on Escape" '[ -f ticks.inc ]'
if [ -f ticks.inc ]; then
  echo "--- ticks.inc"; cat ticks.inc
  check "ticks.inc opens and closes the table" \
    '[ "$(head -1 ticks.inc)" = "static int ticktable[]={" ] && [ "$(tail -1 ticks.inc)" = "};" ]'
  mapfile -t taps < <(sed -n "s/^ 64\*\([0-9]*\) + \([0-9]*\),$/\1 \2/p" ticks.inc)
  check "two tap rows (got ${#taps[@]})" '[ ${#taps[@]} -eq 2 ] && [ $(wc -l <ticks.inc) -eq 4 ]'
  read -r p1 r1 <<<"${taps[0]:-0 0}"
  read -r p2 r2 <<<"${taps[1]:-0 0}"
  check "taps in pattern $to2, rows ascending ($p1:$r1, $p2:$r2)" \
    '[ "$p1" = "$to2" ] && [ "$p2" = "$to2" ] && [ "$r2" -gt "$r1" ]'
fi

# Pictures: pixel statistics from the bitmap, rows bottom first.
# Prints: pixels brighter than dark grey, and near-white pixels in the bottom 48 rows
# (the overlay inverts the dark frame under its white glyphs).
stats() {
  od -An -v -tu1 -w3 -j54 "$1" | awk '
    { i = NR - 1; y = int(i / 640)
      if ($1 > 24 || $2 > 24 || $3 > 24) lit++
      if (y < 48 && $1 > 180 && $2 > 180 && $3 > 180) white++ }
    END { print lit + 0, white + 0 }'
}
check "Shift+S saved nothing: exactly two bitmaps" "[ ! -e vkt00002.bmp ]"
for f in vkt00000.bmp vkt00001.bmp; do
  check "$f is a 640x480 24-bit bitmap" '[ -f $f ] && [ $(stat -c %s $f) -eq 921654 ]'
done
if [ -f vkt00000.bmp ] && [ -f vkt00001.bmp ]; then
  read -r lit0 white0 <<<"$(stats vkt00000.bmp)"
  read -r lit1 white1 <<<"$(stats vkt00001.bmp)"
  echo "vkt00000.bmp: $lit0 lit pixels, $white0 near-white in the bottom 48 rows"
  echo "vkt00001.bmp: $lit1 lit pixels, $white1 near-white in the bottom 48 rows"
  check "Shift+I did not show the overlay" '[ "$white0" -lt 200 ]'
  check "the screenshot is not blank" '[ "$lit0" -gt 3000 ]'
  check "with the overlay the bottom rows carry white text" '[ "$white1" -gt 400 ] && [ "$white1" -gt $((white0 + 400)) ]'
  if [ -n "${ZANT_E2E_KEEP:-}" ]; then cp vkt00000.bmp vkt00001.bmp ticks.inc log.txt "$ZANT_E2E_KEEP"/ 2>/dev/null; fi
fi
exit $fail
