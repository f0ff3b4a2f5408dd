#!/usr/bin/env bash
# Keeps the layers true. The ranks are in layers.txt (bottom to top, shared
# with CMakeLists.txt); product code is every C or C++ file in a ranked folder.
#  - Every top-level folder that holds C or C++ code has a rank, or is one of
#    the folders outside the product listed below.
#  - Every include of product code points down or sideways, never up, and
#    never into a folder outside the product (tests/, tools/, bench/ ...).
#    Includes are read twice: from the preprocessor's own line markers
#    (g++ -E, with the build's include folders, so relative paths, macros and
#    system headers resolve as they do in the build) and from the text
#    (so an include in a branch this build leaves out counts too).
#  - Only platform/ includes SDL, EGL or GLES headers (by resolved path).
#  - Every symbol a layer's object files leave undefined is defined in that
#    layer, a lower one or outside the product (nm over the build's objects):
#    a call up through a hand-written prototype is caught here.
# Usage: scripts/check-layers.sh [ROOT [BUILD]]
#   ROOT defaults to this script's tree, BUILD to ROOT/build; BUILD must be
#   configured and built (its layer-flags.txt and objects are read).
# Prints each fault as FILE:LINE: ...; exits 1 when there is one, 2 when it
# cannot check.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
build=${2:-$root/build}
cxx=g++

# Top-level folders that are not product code; they may hold C or C++ code
# of their own and include anything. A folder holding CMakeCache.txt is a
# build folder and is skipped too, whatever its name. web/ is the page (its
# node_modules hold C code of their own), build-web/ the web build's.
outside=(tests tools bench fuzz dist docs scripts data .git .ci web build-web)
source_ext='c|cc|cpp|cxx|c\+\+|h|hh|hpp|hxx|h\+\+|inl|ipp|tcc|inc'
header_ext='h|hh|hpp|hxx|h\+\+|inl|ipp|tcc|inc'
# System headers only platform/ may include, matched on the resolved path.
platform_only='(^|/)(SDL2?/|SDL[_.A-Za-z0-9]*\.h$|EGL/|GLES[0-9]*/|emscripten/|emscripten\.h$)'
# The web build's files (FOLDER/web/) see emscripten's headers after the
# system's, where Debian's emscripten package keeps them.
web_include=/usr/share/emscripten/cache/sysroot/include

die() {
  echo "layers: $*" >&2
  exit 2
}
[ -f "$root/layers.txt" ] || die "no layers.txt in $root"
[ -d "$build" ] && build=$(cd "$build" && pwd)
[ -f "$build/layer-flags.txt" ] || die "no $build/layer-flags.txt: configure and build first (cmake -B build && cmake --build build)"

declare -A rank
n=0
while read -r -a dirs; do
  [ ${#dirs[@]} -gt 0 ] && [[ ${dirs[0]} != \#* ]] || continue
  for dir in "${dirs[@]}"; do rank[$dir]=$n; done
  n=$((n + 1))
done <"$root/layers.txt"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
faults=$work/faults
: >"$faults"

# Folders: every one that holds C or C++ code has a rank.
cd "$root"
product=()
for path in * .[!.]*; do
  if [ ! -d "$path" ]; then
    # (ticks.inc, written where the program runs, is data, not code)
    if [ -f "$path" ] && [[ $path =~ \.($source_ext)$ ]] && [ "$path" != ticks.inc ]; then
      echo "$path:1: C or C++ code outside every folder of layers.txt" >>"$faults"
    fi
    continue
  fi
  if [ -n "${rank[$path]+x}" ]; then
    product+=("$path")
    continue
  fi
  skip=0
  for o in "${outside[@]}"; do [ "$path" = "$o" ] && skip=1; done
  [ -f "$path/CMakeCache.txt" ] && skip=1
  [ $skip -eq 1 ] && continue
  first=$(find -H "$path" -type f -regextype posix-extended -regex ".*\.($source_ext)" -print -quit)
  [ -z "$first" ] ||
    echo "$first:1: $path/ holds C or C++ code but has no layer in layers.txt" >>"$faults"
done

files=$work/files
if [ ${#product[@]} -gt 0 ]; then
  find -H "${product[@]}" -type f -regextype posix-extended -regex ".*\.($source_ext)" | sort >"$files"
else
  : >"$files"
fi

# Include edges as FILE<TAB>LINE<TAB>TARGET, TARGET relative to ROOT for
# files in the tree and absolute (or as written) outside it.
edges=$work/edges

# Both readings of includes below name files alike: a path with its . and
# .. taken out, one inside ROOT made relative to it, others left absolute.
norm_awk='
  function norm(p,   n, i, parts, out, k, abs) {
    abs = substr(p, 1, 1) == "/"
    n = split(p, parts, "/"); k = 0
    for (i = 1; i <= n; i++) {
      if (parts[i] == "" || parts[i] == ".") continue
      if (parts[i] == ".." && k > 0 && out[k] != "..") { k--; continue }
      out[++k] = parts[i]
    }
    p = (k > 0) ? out[1] : ""
    for (i = 2; i <= k; i++) p = p "/" out[i]
    if (abs) {
      p = "/" p
      if (index(p "/", root "/") == 1) p = substr(p, length(root) + 2)
    }
    return p
  }'

# From the text: every line whose first token is # and next include,
# indented or not, in any branch, the last line too.
xargs -r -d '\n' awk -v root="$root" "$norm_awk"'
  function exists(p,   t, r) {
    r = (getline t < p); if (r >= 0) close(p); return r >= 0
  }
  match($0, /^[ \t]*#[ \t]*include(_next)?[ \t]*[<"][^>"]+[>"]/) {
    s = substr($0, RSTART, RLENGTH); q = substr(s, length(s), 1)
    sub(/^[^<"]*[<"]/, "", s); name = substr(s, 1, length(s) - 1)
    dir = FILENAME; sub(/[^\/]*$/, "", dir)
    if (substr(name, 1, 1) == "/") t = norm(name)
    else if (q == "\"" && (exists(dir name) || name ~ /^\.\.?\//)) t = norm(dir name)
    else t = norm(name)
    print FILENAME "\t" FNR "\t" t
  }' <"$files" >"$edges"

# From the preprocessor: its line markers name each file it enters (flag 1)
# and the line it returns to in the includer (flag 2).
mapfile -t flags < <(grep -E '^-[ID].' "$build/layer-flags.txt" || true)
keep=()
for f in "${flags[@]}"; do
  # The build's own source tree is ROOT here, searched first; the system
  # folders stay behind the compiler's own (as the build leaves them).
  [[ $f == -I* ]] && [ -f "${f#-I}/layers.txt" ] && continue
  case $f in -I/usr/include | -I/usr/local/include) continue ;; esac
  [[ " ${keep[*]-} " == *" $f "* ]] || keep+=("$f")
done
printf '%s\n' "${keep[@]}" >"$work/flags"
export cxx work root web_include norm_awk
preprocess() {
  local file=$1 out
  mapfile -t fl <"$work/flags"
  [[ $file == */web/* && -d $web_include ]] && fl+=(-idirafter "$web_include")
  out=$work/pp.$(echo "$file" | tr / _)
  if ! "$cxx" -E -fdirectives-only -x c++ -std=c++20 -I. "${fl[@]}" "$file" -o "$out.i" 2>"$out.err"; then
    echo "$file:1: the preprocessor fails on it, so its includes cannot be checked: $(grep -m1 error "$out.err")" >>"$out.fault"
    return 0
  fi
  awk -v root="$root" "$norm_awk"'
    /^[ \t]*# [0-9]+ "/ {
      f = $3; gsub(/^"|"$/, "", f)
      if (f !~ /^</) f = norm(f)
      if ($4 == "1") { stack[++depth] = f; next }
      if ($4 == "2") {
        for (j = depth; j > 0 && stack[j] != f; j--) ;
        if (j == 0) { stack[depth] = f; next }
        if (j < depth && f !~ /^[<\/]/) print f "\t" ($2 - 1) "\t" stack[j + 1]
        depth = j
        next
      }
      if (depth == 0) depth = 1
      stack[depth] = f
    }' "$out.i" >"$out.edges"
  rm -f "$out.i"
}
export -f preprocess
# Each source file as the build compiles it, then each header no source
# reached (every header a source reaches is read whole there).
grep -v -E "\\.($header_ext)\$" "$files" >"$work/sources" || true
xargs -r -d '\n' -P "$(nproc)" -I{} bash -c 'preprocess "$1"' _ {} <"$work/sources"
cat "$work"/pp.*.edges >"$work/seen" 2>/dev/null || true
cut -f1,3 "$work/seen" | tr '\t' '\n' | sort -u >"$work/reached"
sort "$files" | comm -23 - "$work/reached" | grep -v -x -F -f "$work/sources" >"$work/unreached" || true
xargs -r -d '\n' -P "$(nproc)" -I{} bash -c 'preprocess "$1"' _ {} <"$work/unreached"
cat "$work"/pp.*.edges >>"$edges" 2>/dev/null || true
cat "$work"/pp.*.fault >>"$faults" 2>/dev/null || true

# Judge each edge whose includer is product code.
awk -F '\t' -v ranks="$(for d in "${!rank[@]}"; do printf '%s=%s ' "$d" "${rank[$d]}"; done)" \
    -v dirs="$(find . -mindepth 1 -maxdepth 1 -xtype d -printf '%P ')" \
    -v loose="$(find . -mindepth 1 -maxdepth 1 -xtype f -printf '%P ')" -v only="$platform_only" '
  BEGIN {
    n = split(ranks, r, " "); for (i = 1; i <= n; i++) { split(r[i], kv, "="); rank[kv[1]] = kv[2] }
    n = split(dirs, d, " "); for (i = 1; i <= n; i++) isdir[d[i]] = 1
    n = split(loose, d, " "); for (i = 1; i <= n; i++) atroot[d[i]] = 1
  }
  {
    file = $1; line = $2; t = $3
    from = file; sub(/\/.*/, "", from)
    if (!(from in rank)) next
    if (substr(t, 1, 1) != "/" && t ~ /\//) {
      to = t; sub(/\/.*/, "", to)
      if (to in rank) {
        if (rank[to] > rank[from])
          print file ":" line ": " from "/ includes the higher layer " to "/: " t
        next
      }
      if ((to in isdir) || to == "..") {
        print file ":" line ": product code includes " to "/, which is outside the layers: " t
        next
      }
    }
    if (t in atroot) {
      print file ":" line ": product code includes " t ", which is outside the layers"
      next
    }
    if (t ~ only && from != "platform")
      print file ":" line ": only platform/ may include SDL, EGL or GLES: " t
  }' "$edges" >>"$faults"

# Symbols: what each layer's objects leave undefined must not be defined
# only in a higher layer. Objects are found by the path of their
# source, CMakeFiles/TARGET.dir/FOLDER/FILE.o; stale ones without a source
# are left out.
objects=$work/objects
: >"$objects"
for dir in "$build"/CMakeFiles/*.dir; do
  [ -d "$dir" ] || continue
  while IFS= read -r obj; do
    src=${obj#"$dir"/}
    src=${src%.o}
    top=${src%%/*}
    [ -n "${rank[$top]+x}" ] && [ -f "$root/$src" ] && printf '%s\t%s\t%s\n' "$obj" "$src" "${rank[$top]}" >>"$objects"
  done < <(find "$dir" -name '*.o')
done
[ -s "$objects" ] || die "no object files of the product in $build: build it first"
cut -f1 "$objects" | xargs -d '\n' nm -A -P >"$work/symbols"
awk -F '\t' 'NR == FNR { src[$1] = $2; lvl[$1] = $3; next }
  {
    # nm -A -P: "OBJECT: SYMBOL TYPE ..."
    i = index($0, ": "); obj = substr($0, 1, i - 1); split(substr($0, i + 2), f, " ")
    if (!(obj in src)) next
    sym = f[1]; type = f[2]
    if (type == "U") { objs[obj] = 1; syms[obj] = syms[obj] " " sym; next }
    # Weak definitions count too (an inline or template function of ours),
    # but not those of the standard library and the compiler, which any layer
    # may instantiate.
    if (type ~ /^[WVu]$/ && sym ~ /^_Z(N|NK)?(S[tabsiod]|9__gnu_cxx)|^_Z(T[VISTvh]|GV)/) next
    # The GL API itself (gl*, glu* with C linkage): gl/ defines it in front of
    # the system library so every layer, FTGL and GLU reach one table; a
    # call to it is a call to the GL, which every layer may make.
    if (sym ~ /^glu?[A-Z]/) next
    if (type ~ /^[TDBRGSCiWVu]$/ && (!(sym in def) || lvl[obj] < def[sym])) { def[sym] = lvl[obj]; defsrc[sym] = src[obj] }
  }
  END {
    for (obj in objs) {
      n = split(syms[obj], s, " ")
      for (k = 1; k <= n; k++)
        if ((s[k] in def) && def[s[k]] > lvl[obj]) print src[obj] "\t" s[k] "\t" defsrc[s[k]]
    }
  }' "$objects" FS=' ' "$work/symbols" | sort -u >"$work/upward"
while IFS=$'\t' read -r src sym where; do
  name=$(c++filt "$sym")
  short=${name%%(*}
  short=${short##*::}
  at=$(grep -n -w -F -m1 -- "$short" "$src" | cut -d: -f1 || true)
  echo "$src:${at:-1}: ${src%%/*}/ uses $name, defined in the higher layer ${where%%/*}/ ($where)" >>"$faults"
done <"$work/upward"

if [ -s "$faults" ]; then
  sort -t: -k1,1 -k2,2n "$faults" | awk -F: '!seen[$1 ":" $2]++'
  exit 1
fi
echo "layers: $(wc -l <"$files") files, $(wc -l <"$edges") includes and $(wc -l <"$objects") objects: every include and call points down or sideways"
