#!/usr/bin/env bash
# The layer check itself, on a scratch copy of the tree and of the build's
# objects: the unchanged copy passes; then every way past the check we know
# of is planted at once, and each must be reported with its file and line.
# Usage: tests/check_layers_selftest.sh SOURCE BUILD
set -u
SRC=$1
BUILD=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/tree
scratch=$work/build
check="$SRC/scripts/check-layers.sh"

# The tree without its build folders and history; the build as its include
# flags and links to its objects.
mkdir -p "$tree" "$scratch/CMakeFiles"
for path in "$SRC"/* "$SRC"/.[!.]*; do
  name=${path##*/}
  [ -e "$path" ] && [ "$name" != .git ] && [ ! -f "$path/CMakeCache.txt" ] || continue
  cp -r "$path" "$tree/"
done
cp "$BUILD/layer-flags.txt" "$scratch/"
for dir in "$BUILD"/CMakeFiles/*.dir; do
  (cd "$dir" && find . -name '*.o') | while IFS= read -r obj; do
    mkdir -p "$scratch/CMakeFiles/${dir##*/}/${obj%/*}"
    ln -s "$dir/$obj" "$scratch/CMakeFiles/${dir##*/}/$obj"
  done
done

fail=0
if ! out=$(bash "$check" "$tree" "$scratch" 2>&1); then
  echo "FAIL: the unchanged copy was refused:"
  echo "$out"
  fail=1
fi

# Real names to point at, whatever the tree holds today.
app_header=$(cd "$tree" && ls app/*.h | head -1)
render_header=$(cd "$tree" && ls render/*.h | head -1)
test_header=$(cd "$tree" && ls tests/*.h tests/support/*.h 2>/dev/null | head -1)
# A function of app/ that takes nothing: its hand-written prototype is just
# "void NAME();" (the return type is not part of the symbol).
# (Only objects whose source is still there: the check leaves out the rest.)
app_objects=()
for obj in "$BUILD"/CMakeFiles/*.dir/app/*.o; do
  src=${obj##*/}
  [ -f "$SRC/app/${src%.o}" ] && app_objects+=("$obj")
done
upcall=$(nm -P --defined-only "${app_objects[@]}" | awk '$2 == "T" { print $1 }' |
  c++filt | grep -m1 -E '^[A-Za-z_][A-Za-z0-9_]*\(\)$')
upcall=${upcall%()}
[ -n "$app_header" ] && [ -n "$render_header" ] && [ -n "$test_header" ] && [ -n "$upcall" ] ||
  { echo "FAIL: the tree has no app/ header, render/ header, tests/ header or app/ function to plant"; exit 1; }

cd "$tree" || exit 1
# Each plant, and the FILE:LINE the check must report for it.
expect=()
plant() { # FILE LINE FORMAT [ARGS...]
  mkdir -p "$(dirname "$1")"
  # shellcheck disable=SC2059
  printf "$3" "${@:4}" >"$1"
  expect+=("$1:$2:")
}
plant render/zz_plain.cpp 2 '// camera\n#include "%s"\n' "$app_header"
plant render/zz_relative.cpp 1 '#include "../%s"\n' "$app_header"
plant scenes/zz_inside_if.h 3 '#pragma once\n#if defined(__GNUC__)\n    #include "%s"\n#endif\n' "$app_header"
plant fx/zz_branch_not_built.h 3 '#pragma once\n#ifdef ZANT_SOME_OTHER_PLATFORM\n  #include "%s"\n#endif\n' "$app_header"
plant fx/zz_macro.cpp 2 '#define ZZ_HEADER "%s"\n#include ZZ_HEADER\n' "$app_header"
plant fx/zz_hash_space.cpp 2 '#include "core/errors.h"\n# include "%s"\n' "$app_header"
plant mesh/zz_last_line.cpp 2 '// no newline after the last line\n#include "%s"' "$app_header"
plant core/zz_header.hpp 2 '#pragma once\n#include "%s"\n' "$render_header"
plant texture/zz_tests.cpp 1 '#include "%s"\n' "$test_header"
plant scenes/zz_sdl.cpp 1 '#include <SDL2/SDL.h>\n'
plant fx/zz_sdl_plain.h 2 '#pragma once\n#include "SDL_keycode.h"\n'
plant devtools/zz_egl.cpp 1 '#include <EGL/egl.h>\n'
plant zz_loose.h 1 'int zzLoose;\n'
plant core/zz_loose.cpp 1 '#include "../zz_loose.h"\n'
plant webshow/zz_new.cpp 1 '#include "%s"\n#include <SDL.h>\n' "$app_header"
plant core/zz_upcall.cpp 2 '// a call up the stack that no include shows\nvoid %s();\nvoid zzCallUp() { %s(); }\n' \
  "$upcall" "$upcall"

# The call up needs its object beside the build's.
mapfile -t flags < <(grep -E '^-[ID].' "$scratch/layer-flags.txt" | grep -v -x -F -e "-I$SRC" -e -I/usr/include)
mkdir -p "$scratch/CMakeFiles/zantcore.dir/core"
g++ -std=c++20 -c -I"$tree" "${flags[@]}" core/zz_upcall.cpp \
  -o "$scratch/CMakeFiles/zantcore.dir/core/zz_upcall.cpp.o" || { echo "FAIL: could not compile the call up"; exit 1; }

out=$(bash "$check" "$tree" "$scratch" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 1 ] || { echo "FAIL: status $rc for a tree with faults"; fail=1; }
for at in "${expect[@]}"; do
  grep -q "^$at " <<<"$out" || { echo "FAIL: nothing reported at $at"; fail=1; }
done
grep -q "^core/zz_upcall.cpp:2: .*$upcall()" <<<"$out" || { echo "FAIL: the call up does not name $upcall()"; fail=1; }
[ "$(grep -c . <<<"$out")" -eq ${#expect[@]} ] ||
  { echo "FAIL: expected exactly ${#expect[@]} reports, one per plant"; fail=1; }
[ $fail -eq 0 ] && echo "layers self-test: the clean copy passes and all ${#expect[@]} plants are reported"
exit $fail
