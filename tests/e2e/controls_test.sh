#!/usr/bin/env bash
# The controls on the real program: Tab saves screenshot0.ppm (and a second
# Tab replaces it); every press acts, and only its own value changes, as
# the session's recording tells; the last screenshot is, byte for byte,
# the one the session's exact replay takes. (What the keys do to the look
# is a property of the drawing, checked on the capture's fixed clock.)
source "$(dirname "$0")/lib.sh"

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"

settle
shot="$workdir/screenshot0.ppm"
[ -s "$shot" ] || fail "Tab wrote no screenshot0.ppm"
size=$(identify -format '%w x %h' "$shot")
[ "$size" = "800 x 800" ] || fail "screenshot is $size"
grep -q "wrote file (800 x 800 pixels, 1920000 bytes)" "$workdir/stdout.txt" || fail "no progress line"
first=$(md5sum < "$shot")
settle
[ "$(md5sum < "$shot")" != "$first" ] || fail "the second Tab did not replace the screenshot"
[ "$(grep -c 'wrote file' "$workdir/stdout.txt")" = 2 ] || fail "expected two progress lines"
[ "$(ls "$workdir" | grep -c ppm)" = 1 ] || fail "more than one picture file"

for _ in $(seq 8); do press Z; done
press C
settle
for _ in $(seq 8); do press X; done
press C
press M
press K
settle

"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"

# Each press stepped its own value, in order, and nothing else moved.
sizes=$(recorded sprite_size)
[ "$sizes" = "30.0 34.0 38.0 42.0 46.0 50.0 54.0 58.0 62.0 58.0 54.0 50.0 46.0 42.0 38.0 34.0 30.0" ] ||
  fail "sprite sizes went $sizes"
[ "$(recorded fade_out)" = "false true false" ] || fail "fade-out went $(recorded fade_out)"
[ "$(recorded fade_in)" = "false true" ] || fail "fade-in went $(recorded fade_in)"
[ "$(recorded particles)" = "4000 2000" ] || fail "the count went $(recorded particles)"
[ "$(grep -c '^frame: .* shot' "$recordings/last-session")" = 4 ] || fail "not four screenshots in the recording"
untouched=$(grep -oE ' (drift_speed|opacity|lifetime|yaw|pitch|spin)=' "$recordings/last-session" | wc -l)
[ "$untouched" = 6 ] || fail "a value no key touched changed ($untouched mentions)"

# The live frame is the state's frame: the exact replay takes the same one.
replay_exact "$workdir/replay"
cmp -s "$shot" "$workdir/replay/frames/screenshot0.ppm" || fail "the live screenshot differs from the exact replay's"
echo "sprite sizes $sizes; the last screenshot equals the exact replay's"
pass
