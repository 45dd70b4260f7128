#!/usr/bin/env bash
# The layering check passes on the tree, and fails, naming the file and the
# line, on a copy with one deliberate upward include and one upward link,
# and naming the modules of a circle of includes within a folder.
set -euo pipefail
source_root=$(cd "$(dirname "$0")/.." && pwd)
"$source_root/tools/check-layers.sh" "$source_root"

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
for folder in math io sim image values render platform panel app capture bench tools; do
  cp -r "$source_root/$folder" "$copy/"
done
sed -i '1i #include "render/gl.h"' "$copy/image/ppm_writer.h"
echo 'target_link_libraries(nimbrel_sim PUBLIC nimbrel_shell)' >>"$copy/sim/CMakeLists.txt"
sed -i '1i #include "values/recorder.h"' "$copy/values/recording.h"
status=0
output=$("$copy/tools/check-layers.sh" "$copy") || status=$?
echo "$output"
[ "$status" -eq 1 ] || { echo "expected exit 1, got $status"; exit 1; }
grep -qx 'image/ppm_writer.h:1: includes render/gl.h, from a layer that is not below image/' <<<"$output"
grep -q '^sim/CMakeLists.txt:[0-9]*: links nimbrel_shell from app/' <<<"$output"
grep -qE '^values/: its modules include each other in a circle: .*recorder' <<<"$output"
echo "layering test: passed"
