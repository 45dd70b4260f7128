#!/usr/bin/env bash
# A fast drag over slow frames: with 44,000 particles a frame on the
# software renderer takes over 100 ms, and the mouse sends its 60 steps in
# about 0.6 s, far faster. Waiting motion merges, so the view catches up
# with the mouse within a frame or two, and Tab, pressed half a second
# after the mouse stops, is acted on and writes its screenshot soon after.
source "$(dirname "$0")/lib.sh"

now_ms() { date +%s%3N; }

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
for _ in $(seq 20); do press I; done  # 4000 + 20 x 2000 = 44,000 particles
settle

steps=()
for _ in $(seq 60); do steps+=(mousemove_relative 3 1 sleep 0.01); done
xdotool mousemove --sync 200 300 mousedown 1 "${steps[@]}" mouseup 1
stopped=$(now_ms)
sleep 0.5
xdotool keydown Tab
sleep 0.3
xdotool keyup Tab

for _ in $(seq 1200); do [ "$(shots_written)" = 2 ] && break; sleep 0.1; done
[ "$(shots_written)" = 2 ] || fail "Tab after the drag wrote no screenshot within 120 s: the press was lost"
echo "screenshot written $(( $(now_ms) - stopped )) ms after the mouse stopped (Tab held 300 ms)"

"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
pass
