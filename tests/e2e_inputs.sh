#!/usr/bin/env bash
# End to end: bad command lines and bad data folders, on the real program.
# Each must end with its status (2 for a bad option, 1 for a bad file), say
# what is wrong naming the option or file, and write nothing.
set -u
ZANT=$1
SRC=$2
BIN=$3
export ZANT_NO_DIALOGS=1 SDL_AUDIODRIVER=dummy
data="$BIN/data"  # the default data the test fixture makes
. "$(dirname "$0")/e2e_lib.sh"
make_work inputs

# expect STATUS "MESSAGE" ARGS...: runs in an empty folder, which must stay empty.
expect() {
  local want=$1 msg=$2
  shift 2
  local dir="$work/run" out rc
  rm -rf "$dir" && mkdir "$dir"
  out=$(cd "$dir" && timeout 120 "$ZANT" "$@" 2>&1); rc=$?
  local left; left=$(ls -A "$dir")
  if [ $rc -ne "$want" ] || ! grep -qF -- "$msg" <<<"$out" || [ -n "$left" ]; then
    echo "FAIL: zant $* -> status $rc (want $want), wrote [${left}]"; sed 's/^/  | /' <<<"$out"
    echo "  wanted: $msg"; fail=1
  else
    echo "ok: zant $* -> $rc: $(head -1 <<<"$out")"
  fi
}

echo "== the command line"
expect 2 "--render f%s.png: only %d" --data "$data" --render 'f%s.png'
expect 2 "--render f%n.png: only %d" --data "$data" --render 'f%n.png'
expect 2 "more than one number conversion" --data "$data" --render 'f%d_%d.png'
expect 2 "no number conversion" --data "$data" --render 'f%%.png'
expect 2 "--render f%5.png: only %d" --data "$data" --render 'f%5.png'
expect 2 "--still nan: not a song time" --data "$data" --still nan --out a.png
expect 2 "--still -3: not a song time" --data "$data" --still -3 --out a.png
expect 2 "--still 1e+12: song times run from 0 to" --data "$data" --still 1e12 --out a.png
expect 2 "--still 1e+10: song times run from 0 to" --data "$data" --still 1 --out a.png --still 1e10 --out b.png
expect 2 "--from 1e+10: song times run from 0 to" --data "$data" --render o.mp4 --from 1e10
expect 2 "--to nan: not a song time" --data "$data" --render o.mp4 --to nan
expect 2 "--to 99: song times run from 0 to" --data "$data" --render 'f%03d.png' --to 99
expect 2 "--start 1e+10: song times run from 0 to" --data "$data" --start 1e10
expect 2 "--freeze nan: not a song time" --data "$data" --freeze nan
expect 2 "--freeze -1e+10: not a song time" --data "$data" --freeze -1e10

echo "== the data folder"
expect 1 "--data /nonexistent/zant: no such folder" --data /nonexistent/zant --still 1 --out a.png
printf 'x' >"$work/afile"
expect 1 "--data $work/afile: not a folder" --data "$work/afile" --still 1 --out a.png
mkdir -p "$work/empty"
expect 1 "$work/empty/txtr1.jpg not found" --data "$work/empty" --still 1 --out a.png
mkdir -p "$work/badsong"
cp "$data"/*.jpg "$work/badsong/"
printf 'this is not an mp3\n%.0s' {1..400} >"$work/badsong/tunemix.mp3"
expect 1 "$work/badsong/tunemix.mp3 is not a playable MP3" --data "$work/badsong" --still 1 --out a.png
mkdir -p "$work/badpic"
cp "$data"/* "$work/badpic/"
printf 'not a jpeg' >"$work/badpic/bg2.jpg"
expect 1 "$work/badpic/bg2.jpg: " --data "$work/badpic" --still 1 --out a.png
exit $fail
