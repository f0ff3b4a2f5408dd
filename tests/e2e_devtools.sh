#!/usr/bin/env bash
# End to end: the developer keys on the real program in a window under Xvfb,
# typed with xdotool. Page Down twice steps two whole patterns (seen in the
# seek log), two Space taps land where the seeks went, Shift+S and Shift+I
# do nothing, "s" saves the frame, "i" then "s" saves it with the overlay's
# white text in the bottom rows, and Escape quits (status 0) after writing
# the taps to ticks.inc. Every key waits for the answer to the one before
# (a seek line, a file, frames drawn), never for a fixed time.
set -u
ZANT=$1
SRC=$2
BIN=$3
. "$(dirname "$0")/e2e_lib.sh"
start_window_test devtools || exit 1
# The keys, in a subshell: a failed wait ends it, and the checks below run.
drive() (
  # wait_for DESCRIPTION COMMAND...: up to a minute for COMMAND to succeed.
  wait_for() { wait_until "$@" || { cat log.txt; kill $pid 2>/dev/null; exit 1; }; }
  lines() { grep -c "$1" log.txt; }
  has_lines() { [ "$(lines "$1")" -ge "$2" ]; }
  complete_bmp() { [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq 921654 ]; }
  tick_rows() { [ -f ticks.inc ] && [ "$(tail -1 ticks.inc)" = "};" ] && [ "$(grep -c "^ 64\*" ticks.inc)" -eq "$1" ]; }
  # Two changes of the window picture: a whole frame drawn after the last key.
  frames_drawn() { "$BIN/tests/xframes" "$wid" 2 || { echo "FAIL: no frames drawn"; kill $pid 2>/dev/null; exit 1; }; }

  "$ZANT" --windowed --nosound --data "$data" >log.txt 2>&1 &
  pid=$!
  find_window || { cat log.txt; kill $pid 2>/dev/null; exit 1; }
  xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"
  # Home until the frame loop answers with a seek (start-up takes a while,
  # longer under sanitizers); keys pressed before then wait in the queue.
  press_until log.txt "to pattern 0$" Home || { kill $pid 2>/dev/null; exit 1; }
  # The queued Homes are answered before the next key, which is all the order
  # the checks need. Right after a seek the clock reads just below the
  # pattern it went to, so the second Page Down waits until some of the new
  # pattern has played: a fifth of a second is at least that much song.
  xdotool key Next
  wait_for "answer to the first Page Down" has_lines "to pattern [1-9]" 1
  sleep 0.2
  xdotool key Next
  wait_for "answer to the second Page Down" has_lines "to pattern [1-9]" 2
  # Each tap is written out with "t" so its answer can be seen; the second
  # comes at least a fifth of a second later, two rows further on.
  xdotool key space t
  wait_for "first tap in ticks.inc" tick_rows 1
  sleep 0.2
  xdotool key space t
  wait_for "second tap in ticks.inc" tick_rows 2
  cp ticks.inc ticks_typed.inc
  rm -f ticks.inc
  xdotool key shift+s shift+i
  frames_drawn
  xdotool key s
  wait_for "first screenshot" complete_bmp vkt00000.bmp
  xdotool key i
  frames_drawn
  xdotool key s
  wait_for "second screenshot" complete_bmp vkt00001.bmp
  # One more Home reads the clock: the taps must lie before that reading.
  homes=$(lines "to pattern 0$")
  xdotool key Home
  wait_for "answer to the last Home" has_lines "to pattern 0$" $((homes + 1))
  xdotool key Escape 2>/dev/null
  wait_exit 60 || exit 1
  echo "exit status $rc"
  [ $rc -eq 0 ]
)
drive
rc=$?
echo "--- program output"; cat log.txt
[ $rc -eq 0 ] || fail=1

# Seeks after the Home ones: from song time f1 to floor(f1) + 1, then one more.
mapfile -t seeks < <(sed -n "s/^zant: info: seek from \([0-9.-]*\) to pattern \([1-9][0-9]*\)$/\1 \2/p" log.txt)
check "two Page Down seeks logged (got ${#seeks[@]})" '[ ${#seeks[@]} -eq 2 ]'
read -r from1 to1 <<<"${seeks[0]:-0 -99}"
read -r from2 to2 <<<"${seeks[1]:-0 -99}"
check "first Page Down from $from1 goes to the next whole pattern ($to1)" \
  'awk -v f="$from1" -v t="$to1" "BEGIN{exit !(t == int(f) + 1)}"'
# The second starts where the first went (the clock has moved on from
# there, by however long the key took) and goes to the next whole pattern.
check "second Page Down from $from2 goes one further ($to2)" \
  'awk -v f="$from2" -v t="$to2" -v p="$to1" "BEGIN{exit !(t == int(f) + 1 && f > p - 0.01)}"'
# The clock as the last Home read it: everything typed came before.
last_from=$(sed -n "s/^zant: info: seek from \([0-9.-]*\) to pattern 0$/\1/p" log.txt | tail -1)

# Ticks: two taps, between where the seeks went and the clock's last
# reading, in the order typed. "t" wrote them as typed; Escape again. (A tap
# in the very millisecond of a seek reads the row before it, as the clock
# does.)
check "ticks.inc written on Escape" '[ -f ticks.inc ]'
if [ -f ticks.inc ]; then
  echo "--- ticks.inc"; cat ticks.inc
  check "ticks.inc opens and closes the table" \
    '[ "$(head -1 ticks.inc)" = "static int ticktable[]={" ] && [ "$(tail -1 ticks.inc)" = "};" ]'
  check "Escape wrote the taps \"t\" wrote" 'cmp -s ticks.inc ticks_typed.inc'
  mapfile -t taps < <(sed -n "s/^ 64\*\([0-9]*\) + \([0-9]*\),$/\1 \2/p" ticks.inc)
  check "two tap rows (got ${#taps[@]})" '[ ${#taps[@]} -eq 2 ] && [ $(wc -l <ticks.inc) -eq 4 ]'
  read -r p1 r1 <<<"${taps[0]:-0 0}"
  read -r p2 r2 <<<"${taps[1]:-0 0}"
  tick1=$((p1 * 64 + r1)) tick2=$((p2 * 64 + r2))
  check "taps from pattern $to2 on, before the clock read $last_from, rows ascending ($p1:$r1, $p2:$r2)" \
    'awk -v a="$tick1" -v b="$tick2" -v p="$to2" -v e="${last_from:-0}" \
      "BEGIN{exit !(a >= 64 * p - 1 && b > a && b <= int(e * 64))}"'
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
