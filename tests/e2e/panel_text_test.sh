#!/usr/bin/env bash
# The panel on the real program: F3 shows it in the top-left
# corner, Q changes the drift-speed line and no other, Tab's screenshot
# contains it, and F3 again takes it away.
source "$(dirname "$0")/lib.sh"

# text_pixels FILE: bright pixels in the panel's first six lines, a band
# at the top of the window where the smoke hardly reaches.
text_pixels() { convert "$1" -crop 430x110+0+0 +repage -colorspace Gray -threshold 60% -format '%[fx:round(mean*w*h)]' info:; }

# changed A B GEOMETRY: pixels of one line that differ clearly between two
# pictures.
changed() {
  convert "$1" -crop "$3" +repage "$workdir/line-a.png"
  convert "$2" -crop "$3" +repage "$workdir/line-b.png"
  compare -metric AE -fuzz 25% "$workdir/line-a.png" "$workdir/line-b.png" null: 2>&1 || true
}
drift_line=420x14+8+18     # the first line
lifetime_line=420x14+8+110 # the fifth

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
settle
grab "$workdir/hidden.png"
[ "$(text_pixels "$workdir/hidden.png")" -lt 100 ] || fail "the corner is lit before F3"

press F3
settle
grab "$workdir/shown.png"
shown=$(text_pixels "$workdir/shown.png")
echo "panel text pixels: $shown"
[ "$shown" -gt 800 ] || fail "F3 showed no panel in the top-left corner ($shown text pixels)"

press Q
settle
grab "$workdir/faster.png"
drift=$(changed "$workdir/shown.png" "$workdir/faster.png" $drift_line)
lifetime=$(changed "$workdir/shown.png" "$workdir/faster.png" $lifetime_line)
echo "after Q: drift-speed line $drift pixels changed, lifetime line $lifetime"
[ "${drift%% *}" -gt 3 ] || fail "Q did not change the drift-speed line"
[ "${lifetime%% *}" = 0 ] || fail "Q changed the lifetime line"

shot="$workdir/screenshot0.ppm"
[ -s "$shot" ] || fail "Tab wrote no screenshot"
[ "$(text_pixels "$shot")" -gt 800 ] || fail "the screenshot does not show the panel"

press F3
settle
grab "$workdir/gone.png"
[ "$(text_pixels "$workdir/gone.png")" -lt 100 ] || fail "F3 again did not take the panel away"

"$CLOSE_TOOL" "$id"
wait_exit 20
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
pass
