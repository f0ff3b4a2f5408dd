#!/usr/bin/env bash
# Keeps the layers true: every #include in product code points down the
# stack or sideways within its layer, and only platform/ includes SDL or EGL.
# Usage: scripts/check-layers.sh [ROOT]   (tests/, tools/, bench/ are exempt)
# Prints each offending line; exits 1 when there is one.
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

# Bottom to top; folders on one line share a layer.
layers=(
  "core"
  "platform"
  "render music"
  "texture"
  "mesh"
  "fx"
  "scenes"
  "devtools"
  "app"
)
declare -A rank
for i in "${!layers[@]}"; do
  for dir in ${layers[$i]}; do rank[$dir]=$i; done
done

bad=0
for dir in "${!rank[@]}"; do
  [ -d "$dir" ] || continue
  while IFS= read -r file; do
    n=0
    while IFS= read -r line; do
      n=$((n + 1))
      case "$line" in
      \#include*) ;;
      *) continue ;;
      esac
      if [[ $line =~ ^#include[[:space:]]*[\<\"](SDL|SDL2/|EGL/|GLES) ]] && [ "$dir" != platform ]; then
        echo "$file:$n: only platform/ may include SDL or EGL: $line"
        bad=1
      fi
      if [[ $line =~ ^#include[[:space:]]*\"([a-z_]+)/ ]]; then
        target=${BASH_REMATCH[1]}
        [ -n "${rank[$target]+x}" ] || continue
        if [ "${rank[$target]}" -gt "${rank[$dir]}" ]; then
          echo "$file:$n: $dir/ includes the higher layer $target/: $line"
          bad=1
        fi
      fi
    done <"$file"
  done < <(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) | sort)
done
if [ $bad -eq 0 ]; then
  echo "layers: every include points down or sideways"
fi
exit $bad
