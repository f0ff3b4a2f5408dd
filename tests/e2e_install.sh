#!/usr/bin/env bash
# End to end: cmake --install into a temporary prefix, then the installed
# program, started from an unrelated folder, finds its installed data; the
# user's own folder (XDG_DATA_HOME/zant) comes first when it holds every
# file and is passed over when it does not; the prefix can move; and with
# no data anywhere the program names every folder it tried and fails.
set -u
SRC=$2
BIN=$3
export ZANT_NO_DIALOGS=1
. "$(dirname "$0")/e2e_lib.sh"
make_work install
# Average colour of a picture as "R G B" (0..255).
mean_rgb() { ffmpeg -v error -i "$1" -vf scale=1:1:flags=area -f rawvideo -pix_fmt rgb24 - | od -An -tu1 | xargs; }
size_of() { ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 "$1"; }

prefix=$work/prefix
if ! cmake --install "$BIN" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1
fi
files=(bin/zant share/applications/zant.desktop share/man/man6/zant.6.gz
  share/icons/hicolor/48x48/apps/zant.png share/icons/hicolor/256x256/apps/zant.png
  share/doc/zant/README.md share/doc/zant/copyright share/doc/zant/changelog.gz)
for name in tunemix.mp3 txtr1 txtr2 metal bg1 bg2 bg3 bg4 bg5 bg6 gridi; do
  [ "$name" = tunemix.mp3 ] || name=$name.jpg
  files+=("share/zant/$name")
done
missing=""
for f in "${files[@]}"; do [ -s "$prefix/$f" ] || missing="$missing $f"; done
check "installed files are all there (missing:${missing:- none})" '[ -z "$missing" ]'
check "one AppStream metainfo file" '[ "$(ls "$prefix"/share/metainfo/*.metainfo.xml | wc -l)" = 1 ]'
check "48x48 icon (got $(size_of "$prefix/share/icons/hicolor/48x48/apps/zant.png"))" \
  '[ "$(size_of "$prefix/share/icons/hicolor/48x48/apps/zant.png")" = "48,48" ]'

# An unrelated working folder and an empty user data folder.
mkdir -p "$work/elsewhere" "$work/xdg"
cd "$work/elsewhere"
export XDG_DATA_HOME=$work/xdg
zant=$prefix/bin/zant
"$zant" --still 12.5 --out installed.png 2>"$work/log" || { cat "$work/log"; fail=1; }
check "still is 640x480 (got $(size_of installed.png))" '[ "$(size_of installed.png)" = "640,480" ]'
read -r r g b <<<"$(mean_rgb installed.png)"
check "still is not black (mean $r $g $b)" '[ $((r + g + b)) -gt 60 ]'
check "--help names the installed data" \
  '"$zant" --help | grep -qF "$prefix/share/zant    <- this run would use it"'

# The user's own folder, every file present, one picture replaced: the
# columns of the hall at 12.5 are painted with txtr1.
mkdir -p "$work/xdg/zant"
cp "$prefix"/share/zant/* "$work/xdg/zant/"
ffmpeg -v error -y -f lavfi -i color=c=0xC02010:s=512x512 -frames:v 1 "$work/xdg/zant/txtr1.jpg"
"$zant" --still 12.5 --out user.png 2>"$work/log" || { cat "$work/log"; fail=1; }
read -r ur ug ub <<<"$(mean_rgb user.png)"
check "the user's red panels show (mean $ur $ug $ub against $r $g $b)" '[ "$ur" -gt $((r + 40)) ]'
check "--help names the user's folder" '"$zant" --help | grep -qF "$work/xdg/zant    <- this run would use it"'

# Without one of the eleven files the user's folder does not count.
rm "$work/xdg/zant/bg4.jpg"
"$zant" --still 12.5 --out partial.png 2>"$work/log" || { cat "$work/log"; fail=1; }
check "a partial user folder is passed over" 'cmp -s partial.png installed.png'

# ./data in the working folder comes before both.
mkdir data
cp "$prefix"/share/zant/* data/
ffmpeg -v error -y -f lavfi -i color=c=0xC02010:s=512x512 -frames:v 1 data/txtr1.jpg
"$zant" --still 12.5 --out local.png 2>"$work/log" || { cat "$work/log"; fail=1; }
check "./data wins" 'cmp -s local.png user.png'
rm -r data

# The data is found from the program's own place, so a moved prefix works.
mv "$prefix" "$work/moved"
zant=$work/moved/bin/zant
"$zant" --still 12.5 --out moved.png 2>"$work/log" || { cat "$work/log"; fail=1; }
check "a moved prefix still finds its data" 'cmp -s moved.png installed.png'

# No data anywhere.
mv "$work/moved/share/zant" "$work/moved/share/zant.away"
out=$("$zant" --still 12.5 --out none.png 2>&1); rc=$?
check "no data: exit status 1 (got $rc)" '[ $rc -eq 1 ]'
check "no data: no picture written" '[ ! -e none.png ]'
for line in "./data: no such folder" "$work/xdg/zant: missing bg4.jpg" \
            "$work/moved/share/zant: no such folder"; do
  check "no data: lists '$line'" 'grep -qF -- "$line" <<<"$out"'
done
check "no data: --help says the show would not start" \
  '"$zant" --help | grep -q "None of them holds the files"'
[ $fail -eq 0 ] || echo "$out"
exit $fail
