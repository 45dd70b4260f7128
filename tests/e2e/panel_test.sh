#!/usr/bin/env bash
# The panel's sliders on the real program, with the mouse: dragging the
# sprite-size slider to its right end makes the sprites visibly larger in
# the panel's screenshot; a drag begun over the smoke still turns the view,
# half a turn for 180 pixels.
source "$(dirname "$0")/lib.sh"

# Where the panel's controls are: rows 23 pixels apart from y = 16. The
# sprite-size slider is the ninth row, its track from x = 148 to 318; the
# Screenshot button starts the sixteenth.
slider_y=209
button_y=370

# drag_slider FROM_X TO_X: a left drag along the sprite-size slider.
drag_slider() {
  xdotool mousemove --window "$id" "$1" $slider_y mousedown 1
  for x in $(seq "$1" $(( ($2 - $1) / 5 )) "$2"); do xdotool mousemove --window "$id" "$x" $slider_y; sleep 0.1; done
  xdotool mouseup 1
}

# leaning FILE: "left" or "right", the brighter half of the picture.
leaning() {
  local left right
  left=$(convert "$1" -crop 400x800+0+0 +repage -colorspace Gray -format '%[fx:mean]' info:)
  right=$(convert "$1" -crop 400x800+400+0 +repage -colorspace Gray -format '%[fx:mean]' info:)
  awk -v l="$left" -v r="$right" 'BEGIN { print (l > r ? "left" : "right") }'
}
# smoke_lit FILE: the lit share of the lower right, where the panel is not.
smoke_lit() { convert "$1" -crop 400x400+400+400 +repage -colorspace Gray -threshold 10% -format '%[fx:mean]' info:; }

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
sleep 1
press F3
sleep 0.5
grab "$workdir/before.png"

drag_slider 160 360
sleep 1
# 200-pixel sprites draw slowly on a software renderer, slower than a key
# press lasts; a click on the panel's Screenshot button does what Tab does.
xdotool mousemove --window "$id" 40 $button_y click 1
for _ in $(seq 100); do [ -s "$workdir/screenshot0.ppm" ] && break; sleep 0.1; done
[ -s "$workdir/screenshot0.ppm" ] || fail "Tab wrote no screenshot"
grep -qx "wrote file (800 x 800 pixels, 1920000 bytes)" "$workdir/stdout.txt" || fail "no line for the screenshot"
before=$(smoke_lit "$workdir/before.png")
after=$(smoke_lit "$workdir/screenshot0.ppm")
echo "lit share of the smoke: $before with 30 px sprites, $after after the drag"
at_least "$after" "$(awk -v b="$before" 'BEGIN { print b * 2 }')" || fail "the sprites did not grow"

drag_slider 300 100  # back to small sprites, quick to draw
sleep 1
press F3
sleep 0.5
grab "$workdir/before-turn.png"
# Half a turn: the emitter and its bright core swap sides.
xdotool mousemove --window "$id" 600 600 mousedown 1
for x in 630 660 690 720 750 780; do xdotool mousemove --window "$id" "$x" 600; sleep 0.1; done
xdotool mouseup 1
sleep 1
grab "$workdir/turned.png"
before=$(leaning "$workdir/before-turn.png")
turned=$(leaning "$workdir/turned.png")
echo "the smoke leans $before, and $turned after a 180-pixel drag over the smoke"
[ "$before" != "$turned" ] || fail "the drag over the smoke did not turn the view"

"$CLOSE_TOOL" "$id"
wait_exit 20
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
echo "PASS"
