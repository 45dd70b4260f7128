#!/usr/bin/env bash
# What the program costs where people leave it running, for one or more
# builds of it side by side: on a private 1920 x 1080 Xvfb with Mesa's
# software GL, each program in turn, the CPU time it takes over wall time
# (its threads together, 1.00 = one core) for SECONDS in each case:
#   wallpaper          --wallpaper at the start values
#   wallpaper-covered  the same under a window the screen's size
#   wallpaper-100k     --wallpaper --set particles=100000
#   window             the 800 x 800 window at the start values, with the
#                      median clock step its journal shows
#   window-minimised   the window minimised under openbox
# Usage: tools/measure-idle-cost.sh [-s SECONDS] [-r ROUNDS] BUILD_DIR|PROGRAM...
# A build folder stands for its app/nimbrel; the test window comes from the
# first build folder given, or from build/.
set -euo pipefail
seconds=10
rounds=1
while getopts s:r: flag; do
  case "$flag" in
    s) seconds=$OPTARG ;;
    r) rounds=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "usage: $0 [-s SECONDS] [-r ROUNDS] BUILD_DIR|PROGRAM..." >&2; exit 2; }
programs=()
window_tool=""
for given in "$@"; do
  if [ -d "$given" ]; then
    programs+=("$(realpath "$given/app/nimbrel")")
    [ -n "$window_tool" ] || window_tool="$given/tests/x11_test_window"
  else
    programs+=("$(realpath "$given")")
  fi
done
window_tool=$(realpath "${window_tool:-build/tests/x11_test_window}")
for tool in Xvfb xdotool openbox; do
  command -v "$tool" >/dev/null || { echo "$0: needs $tool (tools/install-deps.sh $tool)" >&2; exit 2; }
done

scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 200); do [ -s "$scratch/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n 1 "$scratch/display")"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
export LIBGL_ALWAYS_SOFTWARE=1

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# share PID: its CPU time over `seconds` of wall time, after a second to settle.
share() {
  sleep 1
  local before after start end
  before=$(cpu_ticks "$1"); start=$(date +%s.%N)
  sleep "$seconds"
  after=$(cpu_ticks "$1"); end=$(date +%s.%N)
  awk -v c=$((after - before)) -v t="$ticks" -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", c / t / (e - s) }'
}
# start PROGRAM ARGS...: the program in its own folders, its pid in $pid.
start() {
  local program=$1
  shift
  rm -rf "$scratch/home"
  mkdir -p "$scratch/home"
  (cd "$scratch/home" && XDG_CONFIG_HOME=$scratch/home/config XDG_DATA_HOME=$scratch/home/data \
     XDG_STATE_HOME=$scratch/home/state exec "$program" "$@" >"$scratch/out.txt" 2>&1) &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 600); do
    xwininfo -root -tree | grep -q '"Nimbrel"' && break
    sleep 0.1
  done
  sleep 2
}
stop() { kill -TERM "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }
# The median clock step of the last session's journal.
median_step() {
  awk '/^(run|frame):/ { last = $1 == "run:" ? NF : 2
         for (i = 2; i <= last; i++) { n = split($i, s, "+"); m = 0; for (j = 1; j <= n; j++) if (s[j] != "-") m += s[j]; print m } }' \
    "$scratch/home/data/nimbrel/recordings/last-session" 2>/dev/null | sort -n | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "?" }'
}

measure() {
  local program=$1 case=$2 cover wm minimised
  case "$case" in
    wallpaper) start "$program" --wallpaper; share "$pid" ;;
    wallpaper-covered)
      start "$program" --wallpaper
      "$window_tool" 1920x1080 >/dev/null & cover=$!
      pids+=("$cover")
      share "$pid"
      kill "$cover" ;;
    wallpaper-100k) start "$program" --wallpaper --set particles=100000; share "$pid" ;;
    window)
      start "$program"
      share "$pid"
      stop "$pid"
      printf " (median step %s ms)" "$(median_step)" ;;
    window-minimised)
      openbox >/dev/null 2>&1 & wm=$!
      pids+=("$wm")
      sleep 1
      start "$program"
      xdotool search --name '^Nimbrel$' windowminimize 2>/dev/null || true
      share "$pid"
      kill "$wm" ;;
  esac
  stop "$pid"
}

cases=(wallpaper wallpaper-covered wallpaper-100k window window-minimised)
echo "CPU time over wall time (1.00 = one core), ${seconds} s a case, 1920 x 1080 Xvfb, $(nproc) cores"
for round in $(seq "$rounds"); do
  for case in "${cases[@]}"; do
    printf "%-18s" "$case"
    for program in "${programs[@]}"; do
      printf "  %s" "$(measure "$program" "$case")"
    done
    echo
  done
done
echo "programs: ${programs[*]}"
