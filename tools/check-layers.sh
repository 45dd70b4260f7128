#!/usr/bin/env bash
# The layering check: every folder uses only the folders below it, and no
# module within a folder reaches back to one that reaches it.
#
#   math/, io/  <  sim/, image/  <  values/  <  raster/, render/  <  platform/
#     <  panel/  <  app/  <  capture/, bench/
#
# Reads the includes of every source file and the libraries each folder's
# CMakeLists.txt links, and fails, naming the file and line, on any that
# goes up or sideways; then, in each folder, on a circle of includes
# between its modules (a module: a .h and its .cpp). Also: SDL only in
# platform/; GL only from render/ up (never in raster/, beside it), Dear ImGui only from panel/ up; the
# test helpers only in bench/.
# Usage: tools/check-layers.sh [SOURCE_ROOT]
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

layers=(math io sim image values raster render platform panel app capture bench)
declare -A rank=([math]=0 [io]=0 [sim]=1 [image]=1 [values]=2 [raster]=3 [render]=3 [platform]=4 [panel]=5 [app]=6
                 [capture]=7 [bench]=7)

failures=0
fail() {
  echo "$1: $2"
  failures=$((failures + 1))
}

# May a file in folder $1 use folder $2?
allowed() { [ "$1" = "$2" ] || [ "${rank[$2]}" -lt "${rank[$1]}" ]; }

# Includes.
for folder in "${layers[@]}"; do
  while IFS=: read -r file line text; do
    header=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]*)[">].*/\1/' <<<"$text")
    top=${header%%/*}
    if [ -n "${rank[$top]+set}" ] && [ "$header" != "$top" ]; then
      allowed "$folder" "$top" || fail "$file:$line" "includes $header, from a layer that is not below $folder/"
    fi
    case "$header" in
      SDL*|SDL2/*)
        [ "$folder" = platform ] || fail "$file:$line" "includes $header: only platform/ includes SDL" ;;
      GL/*|EGL/*)
        { [ "${rank[$folder]}" -ge "${rank[render]}" ] && [ "$folder" != raster ]; } ||
          fail "$file:$line" "includes $header below render/ or in the GL-free raster/" ;;
      imgui*|backends/imgui*)
        [ "${rank[$folder]}" -ge "${rank[panel]}" ] || fail "$file:$line" "includes $header below panel/" ;;
      tests/*)
        [ "$folder" = bench ] || fail "$file:$line" "includes $header: only bench/ uses the test helpers" ;;
    esac
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' -r --include='*.h' --include='*.cpp' "$folder" 2>/dev/null)
done

# Libraries: which folder makes each target, then what each folder links.
declare -A home
while IFS=: read -r file _ text; do
  target=$(sed -E 's/.*add_(library|executable)\(([A-Za-z0-9_-]+).*/\2/' <<<"$text")
  home[$target]=${file%%/*}
done < <(grep -nE '^[[:space:]]*add_(library|executable)\(' "${layers[@]/%//CMakeLists.txt}" 2>/dev/null)

for folder in "${layers[@]}"; do
  [ -f "$folder/CMakeLists.txt" ] || continue
  # Each target_link_libraries call, joined onto one line with its number.
  while IFS=$'\t' read -r line call; do
    for word in $call; do
      other=${home[$word]:-}
      [ -n "$other" ] || continue
      allowed "$folder" "$other" ||
        fail "$folder/CMakeLists.txt:$line" "links $word from $other/, a layer that is not below $folder/"
    done
  done < <(awk '/target_link_libraries\(/ { start = NR; call = "" }
                start { call = call " " $0 }
                start && /\)/ { gsub(/[()]/, " ", call); print start "\t" call; start = 0 }' \
             "$folder/CMakeLists.txt")
done

# Circles inside a folder: each module's includes of the folder's other
# modules, as pairs for tsort, which names a loop when there is one.
for folder in "${layers[@]}"; do
  [ -d "$folder" ] || continue
  loops=$(grep -HE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"'"$folder"'/' "$folder"/*.h "$folder"/*.cpp 2>/dev/null |
    sed -E 's|^'"$folder"'/([^.:]+)\.[a-z]+:.*"'"$folder"'/([^."]+)\.h".*|\1 \2|' |
    awk '$1 != $2' | tsort 2>&1 >/dev/null | grep -v '^tsort: -: input contains a loop:$' | sed 's/^tsort: //' | awk '!seen[$0]++' | tr '\n' ' ')
  [ -z "$loops" ] || fail "$folder/" "its modules include each other in a circle: $loops"
done

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures use(s) against the layering"
  exit 1
fi
echo "check-layers: every folder uses only the folders below it"
