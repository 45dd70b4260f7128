#!/usr/bin/env bash
# Lists the mutable objects with static storage in the project's own code:
# every object its compiled files define in a writable data section
# (.data, .bss and their thread-local kin), constant tables and library
# statics (CLI11's, toml++'s, the C++ library's) aside; then a count per
# folder. Reads the object files of the sources in the tree now.
# Usage: tools/count-statics.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
source_root=$(cd "$(dirname "$0")/.." && pwd)
find "$build" -path '*/CMakeFiles/*' -name '*.cpp.o' | sort | while read -r object; do
  folder=$(sed -E 's|^'"$build"'/([^/]+)/.*|\1|' <<<"$object")
  source=$(sed -E 's|.*/CMakeFiles/[^/]+\.dir/(.*)\.o$|\1|' <<<"$object")
  case "$folder" in tests|bench|tools|CMakeFiles) continue ;; esac
  [ -f "$source_root/$folder/$source" ] || continue  # left from a file since removed
  objdump -t -C "$object" |
    awk -v where="$folder/$source" '$3 == "O" && $4 ~ /^\.(data|bss|tdata|tbss)(\.|$)/ && $4 !~ /rel\.ro/ {
           name = $0; sub(/^.*\t[0-9a-f]+ +/, "", name); print where "\t" name }' |
    grep -vE $'\t(\\.hidden |CLI::|std::|toml::|guard variable)' || true
done | sort -u | tee /dev/stderr | cut -f1 | cut -d/ -f1 | uniq -c | awk '{ print $2 ": " $1; total += $1 } END { print "total: " total }'
