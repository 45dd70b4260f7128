#!/usr/bin/env bash
# The session is written as it runs: killed with SIGKILL after a Tab, it
# leaves a journal whose exact replay takes that screenshot, byte for byte,
# and the next start keeps it. Screenshots taken around resizes (F11 there
# and back, the window system's resize and back) are each taken again by
# the exact replay of the journal cut after them, at their own size. Twenty drags past the window's left edge
# turn the view by what the mouse moved, and --resume starts from it. Two
# instances pressing F9 together three times keep six recordings.
source "$(dirname "$0")/lib.sh"

# size ID: the window's width x height on the X server.
size() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# takes SIZE: waits up to 120 s for the window to take that size.
takes() {
  for _ in $(seq 1200); do [ "$(size "$id")" = "$1" ] && return 0; sleep 0.1; done
  fail "the window is $(size "$id"), not $1"
}
shots=0
# shot: Tab, and the screenshot kept as it was written, by its number.
shot() {
  settle
  shots=$((shots + 1))
  cp "$workdir/screenshot0.ppm" "$workdir/live$shots.ppm"
}
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
press Z
shot
press F11
takes "$screen"
shot
press F11
takes 800x800
shot
xdotool windowsize --sync "$id" 640 480
takes 640x480
xdotool windowsize --sync "$id" 800 800
takes 800x800
shot
journal_shows "^frame: .* shot"  # the last screenshot's frame, written by the journal's thread
for _ in $(seq 1200); do
  [ "$(grep -c '^frame: .* shot' "$recordings/last-session")" = 4 ] && break
  sleep 0.1
done
kill -KILL "$nimbrel_pid"
wait "$nimbrel_pid" 2>/dev/null || true
nimbrel_pid=""
killed=$(readlink "$recordings/last-session")
replay_exact "$workdir/replay"
cmp -s "$workdir/screenshot0.ppm" "$workdir/replay/frames/screenshot0.ppm" ||
  fail "the killed session's exact replay differs from its screenshot"
grep -q "a session cut short" "$workdir/replay.txt" || fail "the replay did not say the session was cut short"
# Each screenshot, by the journal cut after its frame.
for n in 1 2 3; do
  awk -v n="$n" '{ print } /^frame: .* shot/ && ++seen == n { exit }' "$recordings/$killed" > "$workdir/cut$n.rec"
  replay_exact "$workdir/replay$n" "$workdir/cut$n.rec"
  cmp -s "$workdir/live$n.ppm" "$workdir/replay$n/frames/screenshot0.ppm" ||
    fail "screenshot $n of 4 ($(identify -format '%wx%h' "$workdir/live$n.ppm")) differs from its exact replay's"
done
echo "four screenshots around resizes, $(identify -format '%wx%h ' "$workdir"/live[1-4].ppm), each taken again byte for byte"
[ "$(identify -format '%wx%h' "$workdir/live2.ppm")" = "$screen" ] || fail "the full screen's screenshot is not $screen"

# Twenty drags that leave the window by its left edge, moved off the
# screen's: each turns the view by what the mouse moved, 280 degrees, never
# by a wrapped position. (A press the window system drops, on a busy
# machine, is no drag; the steps of those taken are checked.)
start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowmove --sync "$id" 300 100
for _ in $(seq 20); do xdotool mousemove --sync --window "$id" 20 300 mousedown 1 mousemove --sync 40 300 mouseup 1; done
# A Tab after them acts once every drag before it has; its frame in the
# journal means the journal holds every drag taken.
settle
journal_shows '^frame: .* shot'
kill -TERM "$nimbrel_pid"
wait_exit 120
# Drags that come between two frames show in the journal as one step of
# their sum: every step is a whole number of drags.
steps=$(recorded yaw | awk '{ for (i = 2; i <= NF; i++) print $i - $(i - 1) }' | sort -u | tr '\n' ' ')
taken=$(recorded yaw | awk '{ print ($NF - $1) / 280 }')
echo "drags past the window's edge: $taken of 20 taken, the view turned a frame by $steps"
for step in $steps; do
  awk -v s="$step" 'BEGIN { exit !(s > 0 && s % 280 == 0) }' ||
    fail "drags of 280 pixels past the window's edge turned the view by $steps: $(recorded yaw)"
done
at_least "$taken" 10 || fail "fewer than ten of twenty drags taken: $(recorded yaw)"
start_nimbrel with-sprite --resume
id=$(wait_for_window Nimbrel)
"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "--resume after the drags: exit code $exit_code"

# The next starts kept it; two instances, F9 three times each, together.
start_nimbrel
first_id=$(wait_for_window Nimbrel)
(cd "$workdir" && exec nice -n "$NIMBREL_NICE" "$NIMBREL" >"$workdir/second.txt" 2>&1) &
second=$!
for _ in $(seq 1200); do [ "$({ xdotool search --name '^Nimbrel$' || true; } | wc -l)" = 2 ] && break; sleep 0.1; done
windows=($(xdotool search --name '^Nimbrel$' || true))
[ "${#windows[@]}" = 2 ] || fail "no second window"
for _ in 1 2 3; do
  for window in "${windows[@]}"; do xdotool windowfocus --sync "$window" key F9; done
done
kept() { cat "$workdir/stdout.txt" "$workdir/second.txt" | grep -c "recorded the session as $recordings/20" || true; }
for _ in $(seq 1200); do [ "$(kept)" = 6 ] && break; sleep 0.1; done
files=$(find "$recordings" -name '20*' -type f | wc -l)
echo "F9 three times in each of two instances: $(kept) lines, $files recordings kept"
[ "$(kept)" = 6 ] && [ "$files" = 6 ] || fail "two instances' F9 kept $files recordings for $(kept) lines"
kill -TERM "$second"
wait "$second" || fail "the second instance's exit code $?"
"$CLOSE_TOOL" "$first_id"
wait_exit 120
[ -f "$recordings/$killed" ] || fail "the next start removed the killed session's journal"
pass
