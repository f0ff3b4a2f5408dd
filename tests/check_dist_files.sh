#!/usr/bin/env bash
# Checks one of the files installed beside the program with the tool made
# for it, exiting 77 (skipped) when that tool is not installed.
# Usage: check_dist_files.sh desktop|metainfo|man|versions SOURCE_DIR BINARY_DIR ZANT VERSION
set -u
mode=$1 SRC=$2 BIN=$3 ZANT=$4 VERSION=$5
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; fail=1; fi; }
need() { command -v "$1" >/dev/null || { echo "skipped: $1 is not installed (scripts/setup.sh installs it)"; exit 77; }; }
desktop=$SRC/dist/zant.desktop
metainfo=$(ls "$SRC"/dist/*.metainfo.xml)

case $mode in
desktop)
  need desktop-file-validate
  # Hints and warnings count too: the desktop menus act on them.
  out=$(desktop-file-validate "$desktop" 2>&1); rc=$?
  check "desktop-file-validate passes without remarks (status $rc) $out" '[ $rc -eq 0 ] && [ -z "$out" ]'
  check "the menu entry starts the show without the question" \
    'grep -qx "Exec=zant --fullscreen-desktop" "$desktop"'
  check "the icon is the installed one" 'grep -qx "Icon=zant" "$desktop"'
  ;;
metainfo)
  need appstreamcli
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1); rc=$?
  check "appstreamcli validate passes (status $rc)" '[ $rc -eq 0 ]'
  [ $rc -eq 0 ] || echo "$out"
  check "the metainfo launches zant.desktop" \
    'grep -q "<launchable type=\"desktop-id\">zant.desktop</launchable>" "$metainfo"'
  check "file named after its id" \
    'grep -q "<id>$(basename "$metainfo" .metainfo.xml)</id>" "$metainfo"'
  ;;
man)
  need man
  page=$BIN/dist/zant.6
  [ -s "$page" ] || { echo "skipped: $page was not built (no scdoc)"; exit 77; }
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  check "the page formats without warnings $warnings" '[ -z "$warnings" ]'
  # Every option the program takes and every variable it reads is described.
  for opt in $("$ZANT" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
    check "describes $opt" 'grep -qF -- "*$opt*" "$SRC/docs/zant.6.scd"'
  done
  for var in $(cd "$SRC" && grep -rhoE 'getenv\("ZANT_[A-Z_]+"\)' app core platform devtools fx mesh music render scenes texture |
               grep -oE 'ZANT_[A-Z_]+' | sort -u) SDL_AUDIODRIVER XDG_DATA_HOME; do
    check "describes $var" 'grep -qF -- "*$var*" "$SRC/docs/zant.6.scd"'
  done
  for status in 0 1 2 130; do
    check "describes exit status $status" 'grep -qx -- "\*$status\*" "$SRC/docs/zant.6.scd"'
  done
  ;;
versions)
  # A new version needs its own changelog entry and release note.
  top=$(sed -n '1s/^zant (\([^)]*\)).*/\1/p' "$SRC/dist/changelog")
  check "the changelog's latest entry is $VERSION (got $top)" '[ "$top" = "$VERSION" ]'
  check "the metainfo lists release $VERSION" 'grep -q "<release version=\"$VERSION\"" "$metainfo"'
  check "zant --version says $VERSION" '[ "$("$ZANT" --version)" = "zant $VERSION" ]'
  ;;
*) echo "unknown mode $mode"; exit 2 ;;
esac
exit $fail
