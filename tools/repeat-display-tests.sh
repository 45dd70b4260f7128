#!/usr/bin/env bash
# Runs the display tests (gl_tests and every e2e_ test) N times under one
# condition a user's machine may give, and prints each run's outcome with
# the frame rates the end-to-end tests saw, then the pass count:
#   idle      nothing else running
#   busy      every core kept busy, one `yes` process each
#   one-core  the software renderer held to one thread on one core
#             (LP_NUM_THREADS=1 taskset -c 0): slow frames
#   starved   the program (its journal's thread too) at nice 19 while every
#             core is kept busy at normal priority, the tests' own commands
#             at normal priority: the test outruns what the program writes
# Usage: tools/repeat-display-tests.sh [N] [idle|busy|one-core|starved] [BUILD_DIR]
set -uo pipefail
runs=${1:-6}
condition=${2:-idle}
build=${3:-build}
[ -f "$build/CTestTestfile.cmake" ] || { echo "no test tree in $build: run make build first" >&2; exit 2; }

prefix=()
hogs=()
case "$condition" in
  idle) ;;
  busy) for _ in $(seq "$(nproc)"); do yes >/dev/null & hogs+=($!); done ;;
  one-core) prefix=(env LP_NUM_THREADS=1 taskset -c 0) ;;
  starved)
    for _ in $(seq "$(nproc)"); do yes >/dev/null & hogs+=($!); done
    prefix=(env NIMBREL_NICE=19) ;;
  *) echo "usage: $0 [N] [idle|busy|one-core|starved] [BUILD_DIR]" >&2; exit 2 ;;
esac
log=$(mktemp)
trap '[ ${#hogs[@]} -eq 0 ] || kill "${hogs[@]}" 2>/dev/null; rm -f "$log"' EXIT

passed=0
for run in $(seq "$runs"); do
  start=$SECONDS
  if (cd "$build" && "${prefix[@]}" ctest -R '^(gl_tests|e2e_)' -V) >"$log" 2>&1; then
    passed=$((passed + 1))
    outcome=passed
  else
    outcome=FAILED
  fi
  rates=$(grep -o 'frame rate: [0-9]* fps' "$log" | awk '{ print $3 }' | sort -n | awk '
    NR == 1 { low = $1 } { high = $1; n++ } END { if (n) printf "%s to %s fps", low, high; else print "none reported" }')
  echo "run $run of $runs ($condition): $outcome in $((SECONDS - start)) s; frame rates $rates"
  [ "$outcome" = passed ] || grep -E '(FAIL|Failure|frame rate)' "$log" | sed 's/^/    /'
done
echo "$condition: $passed of $runs passed"
[ "$passed" = "$runs" ]
