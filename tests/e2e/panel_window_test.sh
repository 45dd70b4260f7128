#!/usr/bin/env bash
# The panel's window on the real program, with the mouse: F3 shows it in
# the top-left corner; Tab's screenshot holds no panel pixel (it is the
# session's exact replay, which draws no panel) and a notice naming the
# file is on screen right after; dragging the title bar moves the panel,
# and the next run opens it where it was left; after F11 on the 1024 x 1024
# screen Tab writes the whole drawable and says so.
source "$(dirname "$0")/lib.sh"

# text_pixels FILE GEOMETRY: bright pixels in that part of a picture.
text_pixels() { convert "$1" -crop "$2" +repage -colorspace Gray -threshold 60% -format '%[fx:round(mean*w*h)]' info:; }
corner=420x110+0+30  # the panel's first lines where it first opens, above the smoke
notice=420x20+8+772  # the lower-left corner, where notices show

# run_with_panel FILE: starts the program, shows the panel, taps Tab and
# grabs the screen into FILE once the screenshot is written.
run_with_panel() {
  start_nimbrel
  id=$(wait_for_window Nimbrel)
  xdotool windowfocus --sync "$id"
  toggle_panel
  settle
  grab "$1"
}

run_with_panel "$workdir/shown.png"
shown=$(text_pixels "$workdir/shown.png" $corner)
# The notice comes with the frame the screenshot was read from, once it
# is shown: on slow frames the grab may come just before.
for _ in $(seq 40); do
  on_screen=$(text_pixels "$workdir/shown.png" $notice)
  [ "$on_screen" -gt 150 ] && break
  sleep 0.1
  grab "$workdir/shown.png"
done
in_shot=$(text_pixels "$workdir/screenshot0.ppm" $notice)
echo "panel text pixels: $shown; notice text pixels on screen: $on_screen, in the screenshot: $in_shot"
[ "$shown" -gt 800 ] || fail "F3 showed no panel in the top-left corner"
[ "$on_screen" -gt 150 ] && [ "$in_shot" -lt 20 ] || fail "no notice on screen after Tab, or one in the screenshot"

# Its title bar, dragged 300 pixels right and down.
xdotool mousemove --window "$id" 60 17 mousedown 1
for step in $(seq 30 30 300); do xdotool mousemove --window "$id" $((60 + step)) $((17 + step)); sleep 0.1; done
xdotool mouseup 1
xdotool mousemove --window "$id" 790 790  # off the panel, so that it shows as it rests
settle
grab "$workdir/moved.png"
moved=$(text_pixels "$workdir/moved.png" $corner)
echo "panel text pixels in the corner after the drag: $moved"
[ "$moved" -lt 100 ] || fail "dragging the title bar did not move the panel"

"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
replay_exact "$workdir/replay"
cmp "$workdir/screenshot0.ppm" "$workdir/replay/frames/screenshot0.ppm" ||
  fail "Tab's screenshot with the panel shown is not the smoke alone, as the exact replay draws it"
place=$(awk '/^\[Window\]\[Nimbrel panel\]/ { ours = 1 } ours && /^Pos=/ { print; exit }' \
  "$workdir/state/nimbrel/panel.ini" 2>/dev/null || true)
echo "the panel was kept at: $place"
x=${place#Pos=}; x=${x%,*}
[ "${x:-0}" -ge 200 ] || fail "the panel's place was not kept"

# The next run: the panel opens where it was left; full screen, Tab
# writes the whole drawable.
run_with_panel "$workdir/again.png"
again=$(text_pixels "$workdir/again.png" $corner)
[ "$again" -lt 100 ] || fail "the panel did not open where it was left ($again text pixels in the corner)"
press F11
for _ in $(seq 1200); do xwininfo -id "$id" | grep -q 'Width: 1024' && break; sleep 0.1; done
xwininfo -id "$id" | grep -q 'Width: 1024' || fail "F11 did not fill the screen within 120 s"
settle
line=$(grep -c "wrote file (1024 x 1024 pixels, 3145728 bytes)" "$workdir/stdout.txt" || true)
size=$(identify -format '%wx%h' "$workdir/screenshot0.ppm")
echo "full screen: the screenshot is $size"
[ "$line" -ge 1 ] && [ "$size" = 1024x1024 ] || fail "full screen's screenshot is not the whole 1024 x 1024 drawable"
"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
pass
