#!/usr/bin/env bash
# The layer check itself: a clean tree passes; an upward include and SDL
# outside platform/ are each reported with file and line, and fail it.
set -u
SRC=$1
check="$SRC/scripts/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work"/{core,platform,render,scenes,app,tests}
printf '#include "core/a.h"\n#include <SDL.h>\n' >"$work/platform/p.cpp"
printf '#include "platform/gl.h"\n#include "render/s.h"\n#include "music/m.h"\n' >"$work/render/r.cpp"
printf '#include "app/main.h"\n#include <SDL.h>\n' >"$work/tests/t.cpp"
printf '#include "scenes/x.h"\n' >"$work/app/main.cpp"
fail=0
if ! out=$("$check" "$work" 2>&1); then echo "FAIL: a clean tree was refused: $out"; fail=1; fi

printf '// camera\n#include "app/keys.h"\n' >"$work/render/camera.cpp"
printf '#include <SDL2/SDL.h>\n' >"$work/scenes/s.cpp"
out=$("$check" "$work" 2>&1); rc=$?
echo "$out"
[ $rc -eq 1 ] || { echo "FAIL: status $rc for a tree with faults"; fail=1; }
grep -q '^render/camera.cpp:2: render/ includes the higher layer app/' <<<"$out" ||
  { echo "FAIL: the upward include was not reported"; fail=1; }
grep -q '^scenes/s.cpp:1: only platform/ may include SDL or EGL' <<<"$out" ||
  { echo "FAIL: SDL outside platform/ was not reported"; fail=1; }
[ "$(grep -c . <<<"$out")" -eq 2 ] || { echo "FAIL: expected exactly two reports"; fail=1; }
exit $fail
