#!/usr/bin/env bash
# The show in a web browser. Installs what it needs (Debian's emscripten and
# chromium, puppeteer-core from the lockfile in web/), fetches the libraries'
# Debian source packages through a private apt configuration (the system's
# apt state stays untouched), builds them with emscripten into a cache that
# the next run reuses, builds the program's code for the web and writes the
# static site to build-web/site/.
# Usage: scripts/web.sh [--test] [--serve [PORT]] [--deps]
#   --deps   only fetch and build the libraries
#   --test   then run the checks: wasm against native, and the page in
#            headless chromium
#   --serve  then serve build-web/site on 127.0.0.1 (PORT, default 8024)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
WEB=${WEB_BUILD_DIR:-$ROOT/build-web}
DEPS=$WEB/deps              # the libraries' install prefix (include/, lib/)
SITE=$WEB/site
NATIVE=${BUILD_DIR:-build}  # the native build whose generators make the data
# Debian's emscripten: an optimised link runs its JS tools from node, which
# find Debian's node modules (acorn) only with this path.
export NODE_PATH=/usr/share/nodejs
export PUPPETEER_SKIP_DOWNLOAD=1

want_test=0 want_serve=0 deps_only=0 port=8024
while [ $# -gt 0 ]; do
  case $1 in
    --test) want_test=1 ;;
    --deps) deps_only=1 ;;
    --serve)
      want_serve=1
      if [[ ${2:-} =~ ^[0-9]+$ ]]; then port=$2; shift; fi ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "web.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
  shift
done

say() { echo "web: $*"; }
seconds_since() { echo $((SECONDS - $1)); }

# --- tools -------------------------------------------------------------------

install_tools() {
  local want=(emscripten chromium) missing=() p
  # The machine's node may come from elsewhere than Debian; keep it if it works.
  command -v node >/dev/null || want+=(nodejs)
  command -v npm >/dev/null || want+=(npm)
  for p in "${want[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  if [ ! -d web/node_modules/puppeteer-core ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    say "npm ci in web/"
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
  fi
}

# --- the libraries' sources ----------------------------------------------------

# Source packages, and the upstream version each recipe below was made for.
SOURCE_PACKAGES=(kissfft libjpeg-turbo freetype ftgl libglu zlib libpng1.6)

# The machine's own apt entries with the source type: deb822 stanzas get
# "Types: deb-src", one-line entries a deb-src twin. Nothing is named here.
derive_apt_sources() {
  local out=$1 f
  rm -rf "$out"
  mkdir -p "$out/parts"
  : > "$out/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    sed -nE 's/^[[:space:]]*deb(-src)?[[:space:]]/deb-src /p' /etc/apt/sources.list | sort -u > "$out/sources.list"
  fi
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -nE 's/^[[:space:]]*deb(-src)?[[:space:]]/deb-src /p' "$f" | sort -u > "$out/parts/$(basename "$f")"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$out/parts/$(basename "$f")"
  done
}

fetch_sources() {
  local apt=$WEB/apt src=$WEB/src
  local -a opts
  mkdir -p "$src"
  local need=0 p
  for p in "${SOURCE_PACKAGES[@]}"; do
    ls "$src/$p"_*.orig.tar.* >/dev/null 2>&1 || need=1
  done
  [ $need -eq 1 ] || return 0
  derive_apt_sources "$apt/etc"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
  opts=(-o Dir::Etc::sourcelist="$apt/etc/sources.list" -o Dir::Etc::sourceparts="$apt/etc/parts"
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
  say "reading the source indexes (private apt lists in $apt)"
  # An entry without source indexes (some third-party repositories) only
  # warns here; a package that is really missing fails below, by name.
  apt-get "${opts[@]}" update -qq || say "apt: some source indexes could not be read"
  # Only the upstream tarball of each: the recipes below need no Debian
  # patch. apt's own downloader checks it against the signed index's hash.
  # A security update's pool may lack an unchanged tarball, so every version
  # the indexes list is tried.
  local line uri file hash version
  for p in "${SOURCE_PACKAGES[@]}"; do
    ls "$src/$p"_*.orig.tar.* >/dev/null 2>&1 && continue
    say "fetching the upstream tarball of the source package $p"
    for version in $(apt-cache "${opts[@]}" showsrc -qq "$p" 2>/dev/null | awk '/^Version:/ { print $2 }'); do
      line=$(apt-get "${opts[@]}" source --print-uris -qq "$p=$version" 2>/dev/null |
        grep -E "^'[^']*' ${p//./\\.}_[^_ ]+\.orig\.tar\.(gz|xz|bz2) " | head -1) || true
      [ -n "$line" ] || continue
      read -r uri file _ hash <<<"$line"
      uri=${uri//\'/}
      if /usr/lib/apt/apt-helper -o APT::Sandbox::User=root download-file "$uri" "$src/$file.part" "$hash" \
        >/dev/null 2>&1; then
        mv "$src/$file.part" "$src/$file"
        break
      fi
    done
    if ! ls "$src/$p"_*.orig.tar.* >/dev/null 2>&1; then
      echo "web.sh: apt could not fetch the source package $p" >&2
      exit 1
    fi
  done
}

# unpack PACKAGE: the upstream tarball into src/PACKAGE/ (once); prints the tree.
unpack() {
  local p=$1 tree=$WEB/src/$1 tarballs
  tarballs=("$WEB/src/$p"_*.orig.tar.*)
  local tarball=${tarballs[0]}
  if [ ! -f "$tree/.unpacked" ]; then
    rm -rf "$tree"
    mkdir -p "$tree"
    tar -xf "$tarball" -C "$tree" --strip-components=1
    touch "$tree/.unpacked"
  fi
  echo "$tree"
}

# --- the libraries, built with emscripten ------------------------------------

EMFLAGS="-O2"
# Bumped when a recipe changes, so the cache is rebuilt.
RECIPES=1

# built NAME: true when NAME is in the prefix from this set of recipes.
built() { [ "$(cat "$DEPS/.built-$1" 2>/dev/null)" = "$RECIPES" ]; }
mark_built() { echo "$RECIPES" > "$DEPS/.built-$1"; }

# cmake_lib NAME TREE TARGET [cmake options]: configure with emcmake, then
# build and install everything, or build only TARGET (no install: the
# caller copies what it needs).
cmake_lib() {
  local name=$1 tree=$2 target=$3
  shift 3
  local b=$WEB/deps-build/$name
  rm -rf "$b"
  emcmake cmake -S "$tree" -B "$b" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$DEPS" \
    -DCMAKE_C_FLAGS="$EMFLAGS" -DCMAKE_CXX_FLAGS="$EMFLAGS" -DCMAKE_PREFIX_PATH="$DEPS" \
    -DCMAKE_FIND_ROOT_PATH="$DEPS" "$@" >"$b.log" 2>&1 ||
    { tail -30 "$b.log" >&2; echo "web.sh: configuring $name failed (log: $b.log)" >&2; exit 1; }
  if [ -n "$target" ]; then
    cmake --build "$b" -j"$(nproc)" --target "$target" >>"$b.log" 2>&1
  else
    { cmake --build "$b" -j"$(nproc)" && cmake --install "$b"; } >>"$b.log" 2>&1
  fi || { tail -30 "$b.log" >&2; echo "web.sh: building $name failed (log: $b.log)" >&2; exit 1; }
}

# objects_lib NAME COMPILER "FLAGS" FILES...: compiles FILES into lib/libNAME.a
# (for the small libraries whose own build wants things the web lacks).
objects_lib() {
  local name=$1 cc=$2 flags=$3
  shift 3
  local b=$WEB/deps-build/$name f
  rm -rf "$b"
  mkdir -p "$b" "$DEPS/lib"
  for f in "$@"; do
    # shellcheck disable=SC2086 # the flags are words
    "$cc" $EMFLAGS $flags -c "$f" -o "$b/$(basename "${f%.*}").o"
  done
  rm -f "$DEPS/lib/lib$name.a"
  emar rcs "$DEPS/lib/lib$name.a" "$b"/*.o
}

build_deps() {
  local t0=$SECONDS tree started
  mkdir -p "$DEPS/include" "$DEPS/lib" "$WEB/deps-build"
  if ! built kissfft; then
    started=$SECONDS
    tree=$(unpack kissfft)
    # The float build, as Debian's kissfft-float: headers under kissfft/.
    objects_lib kissfft-float emcc "-Dkiss_fft_scalar=float" "$tree/kiss_fft.c" "$tree/kiss_fftr.c"
    mkdir -p "$DEPS/include/kissfft"
    cp "$tree"/kiss_fft.h "$tree"/kiss_fftr.h "$tree"/kiss_fft_log.h "$DEPS/include/kissfft/"
    mark_built kissfft
    say "kissfft built in $(seconds_since "$started") s"
  fi
  if ! built zlib; then
    started=$SECONDS
    tree=$(unpack zlib)
    # Debian's tarball leaves out the Windows files zlib's CMake build names.
    objects_lib z emcc "-DHAVE_UNISTD_H -DHAVE_STDARG_H" "$tree"/{adler32,compress,crc32,deflate,gzclose,gzlib,gzread,gzwrite,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c
    cp "$tree/zlib.h" "$tree/zconf.h" "$DEPS/include/"
    mark_built zlib
    say "zlib built in $(seconds_since "$started") s"
  fi
  if ! built libpng; then
    started=$SECONDS
    tree=$(unpack libpng1.6)
    cmake_lib libpng "$tree" "" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
      -DZLIB_ROOT="$DEPS" -DZLIB_LIBRARY="$DEPS/lib/libz.a" -DZLIB_INCLUDE_DIR="$DEPS/include"
    mark_built libpng
    say "libpng built in $(seconds_since "$started") s"
  fi
  if ! built libjpeg-turbo; then
    started=$SECONDS
    tree=$(unpack libjpeg-turbo)
    # CMake's type-size checks cannot run under emscripten: the wasm32 sizes.
    # Only the static library: its tools and tests would take most of the time.
    cmake_lib libjpeg-turbo "$tree" jpeg-static -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
      -DSIZE_T=4 -DHAVE_SIZE_T=TRUE -DUNSIGNED_LONG=4 -DHAVE_UNSIGNED_LONG=TRUE
    cp "$WEB/deps-build/libjpeg-turbo/libjpeg.a" "$DEPS/lib/"
    cp "$tree"/{jpeglib.h,jerror.h,jmorecfg.h} "$WEB/deps-build/libjpeg-turbo/jconfig.h" "$DEPS/include/"
    mark_built libjpeg-turbo
    say "libjpeg-turbo built in $(seconds_since "$started") s"
  fi
  if ! built freetype; then
    started=$SECONDS
    tree=$(unpack freetype)
    # With the zlib above: FreeType's own copy would clash with it at the link.
    cmake_lib freetype "$tree" "" -DFT_REQUIRE_ZLIB=TRUE -DZLIB_LIBRARY="$DEPS/lib/libz.a" \
      -DZLIB_INCLUDE_DIR="$DEPS/include" -DFT_DISABLE_BZIP2=TRUE -DFT_DISABLE_PNG=TRUE \
      -DFT_DISABLE_HARFBUZZ=TRUE -DFT_DISABLE_BROTLI=TRUE -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_LIBDIR=lib
    mark_built freetype
    say "freetype built in $(seconds_since "$started") s"
  fi
  if ! built libglu; then
    started=$SECONDS
    tree=$(unpack libglu)
    # GLU whole: the tessellator for FTGL's extruded glyphs, and the matrix
    # helpers and mipmap builder the show calls (over the GLES layer's gl*).
    # priorityq.c includes priorityq-heap.c itself.
    objects_lib GLU emcc "-I$tree/include -I$tree/src/include -DNDEBUG" \
      "$tree"/src/libtess/{dict,geom,memalloc,mesh,normal,priorityq,render,sweep,tess,tessmono}.c \
      "$tree"/src/libutil/{error,glue,mipmap,project,quad,registry}.c
    mark_built libglu
    say "GLU built in $(seconds_since "$started") s"
  fi
  if ! built ftgl; then
    started=$SECONDS
    tree=$(unpack ftgl)
    objects_lib ftgl em++ "-I$tree/src -I$tree/cmake -I$DEPS/include/freetype2 -I$DEPS/include -DPACKAGE_VERSION=\"2.4.0\" -w" \
      "$tree"/src/*.cpp "$tree"/src/FTFont/*.cpp "$tree"/src/FTGlyph/*.cpp "$tree"/src/FTLayout/*.cpp
    mkdir -p "$DEPS/include/FTGL"
    cp "$tree"/src/FTGL/*.h "$DEPS/include/FTGL/"
    mark_built ftgl
    say "FTGL built in $(seconds_since "$started") s"
  fi
  say "libraries ready in $DEPS ($(seconds_since "$t0") s)"
}

# --- the program's code ----------------------------------------------------------

build_code() {
  local started=$SECONDS b=$WEB/code
  emcmake cmake -S web -B "$b" -DCMAKE_BUILD_TYPE=Release -DZANT_WEB_DEPS="$DEPS" >"$WEB/code.log" 2>&1 ||
    { tail -30 "$WEB/code.log" >&2; echo "web.sh: configuring the web build failed" >&2; exit 1; }
  cmake --build "$b" -j"$(nproc)" >>"$WEB/code.log" 2>&1 ||
    { grep -E 'error|Error' "$WEB/code.log" | head -30 >&2; echo "web.sh: the web build failed (log: $WEB/code.log)" >&2; exit 1; }
  say "the program's code built for the web in $(seconds_since "$started") s"
}

# --- the site ------------------------------------------------------------------------

# The show's default data, made by the native generators as for the native build.
make_data() {
  if [ ! -x "$NATIVE/tools/picturegen/picturegen" ] || [ ! -x "$NATIVE/tools/musicgen/musicgen" ]; then
    say "building the data generators natively in $NATIVE"
    scripts/setup.sh >/dev/null
    cmake -S . -B "$NATIVE" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$NATIVE" -j"$(nproc)" --target picturegen musicgen >/dev/null
  fi
  BUILD_DIR=$NATIVE scripts/make-data.sh "$1" >/dev/null
}

make_site() {
  local f font
  mkdir -p "$SITE/data"
  make_data "$WEB/data"
  cp "$WEB"/data/*.jpg "$WEB"/data/*.mp3 "$SITE/data/"
  # The overlay's font: the one fontconfig picks natively for a black Arial.
  font=$(fc-match -f '%{file}' 'Arial:weight=black:outline=true' 2>/dev/null || true)
  if [ -n "$font" ] && [ -f "$font" ]; then
    cp "$font" "$SITE/data/overlay-font.ttf"
  fi
  for f in index.html page.js audio.js style.css; do
    cp "web/$f" "$SITE/$f"
  done
  # The program itself (web/CMakeLists.txt).
  rm -f "$SITE/zant.js" "$SITE/zant.wasm"
  if [ -f "$WEB/code/zant.js" ]; then
    cp "$WEB/code/zant.js" "$WEB/code/zant.wasm" "$SITE/"
  fi
  # The page learns every file's size before loading (a progress bar that
  # knows the total even when the server compresses).
  node web/manifest.mjs "$SITE" >"$SITE/files.json"
  say "site written to $SITE ($(du -sh "$SITE" | cut -f1))"
}

# --- checks and serving ----------------------------------------------------------------

run_tests() {
  # The stills are compared with the native program's of the same tree.
  say "building the native program in $NATIVE for the stills to compare with"
  cmake --build "$NATIVE" -j"$(nproc)" --target zant >/dev/null
  say "checks: wasm codecs against native, the page and the show in headless chromium"
  ZANT_WEB_BUILD=$WEB ZANT_NATIVE=$NATIVE/zant node --no-experimental-fetch --test tests/web/
}

serve() {
  say "serving $SITE on http://127.0.0.1:$port/ (Ctrl-C stops)"
  exec node web/server.mjs "$SITE" "$port"
}

# --- main --------------------------------------------------------------------------------

install_tools
fetch_sources
build_deps
[ $deps_only -eq 0 ] || exit 0
build_code
make_site
[ $want_test -eq 0 ] || run_tests
[ $want_serve -eq 0 ] || serve
