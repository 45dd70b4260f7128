#!/usr/bin/env bash
# The panel's sliders on the real program, with the mouse: dragging the
# sprite-size slider to its ends sets 200 and 4 px sprites, the panel's
# Screenshot button saves the picture, and a drag begun over the smoke
# still turns the view, half a turn for 180 pixels; the recording tells.
source "$(dirname "$0")/lib.sh"

# Where the panel's controls are, where it first opens: below its title
# bar, rows 23 pixels apart from y = 44. The sprite-size slider is the
# ninth row, its track from x = 132 to 272; the Screenshot button is below
# the check boxes and a line of help.
slider_y=228
button_y=406

# drag_slider FROM_X TO_X: a left drag along the sprite-size slider.
drag_slider() {
  xdotool mousemove --window "$id" "$1" $slider_y mousedown 1
  for x in $(seq "$1" $(( ($2 - $1) / 5 )) "$2"); do xdotool mousemove --window "$id" "$x" $slider_y; sleep 0.1; done
  xdotool mouseup 1
}

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
toggle_panel
settle  # the panel is laid out

drag_slider 140 340
# 200-pixel sprites draw slowly on a software renderer, slower than a key
# press lasts; a click on the panel's Screenshot button does what Tab does.
rm -f "$workdir/screenshot0.ppm"
xdotool mousemove --window "$id" 40 $button_y click 1
# The line comes once the file is in place.
for _ in $(seq 1200); do [ "$(shots_written)" = 2 ] && break; sleep 0.1; done
[ -s "$workdir/screenshot0.ppm" ] || fail "the Screenshot button wrote no screenshot"
[ "$({ grep -cx "wrote file (800 x 800 pixels, 1920000 bytes)" "$workdir/stdout.txt" || true; })" = 2 ] ||
  fail "no line for the button's screenshot"

drag_slider 260 60  # back to small sprites, quick to draw
toggle_panel
# Half a turn, begun over the smoke.
xdotool mousemove --window "$id" 600 600 mousedown 1
for x in 630 660 690 720 750 780; do xdotool mousemove --window "$id" "$x" 600; sleep 0.1; done
xdotool mouseup 1
settle

"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
sizes=$(recorded sprite_size)
echo "the slider set the sprite size to: $sizes"
grep -qw 200.0 <<<"$sizes" || fail "the slider's right end did not set 200 px sprites"
[ "${sizes##* }" = 4.0 ] || fail "the slider's left end did not set 4 px sprites"
yaw=$(recorded yaw)
echo "the view's yaw went: $yaw"
[ "${yaw##* }" = -180.0 ] || fail "a 180-pixel drag over the smoke did not turn the view half a turn"
pass
