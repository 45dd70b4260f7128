#!/usr/bin/env bash
# The controls on the real program: Tab saves screenshot0.ppm (and a second
# Tab replaces it), K down to a count of 0 leaves a black picture, Z makes
# the lit area grow, and the fade modes change the brightness where they
# should.
source "$(dirname "$0")/lib.sh"

# region_brightness FILE GEOMETRY: mean grey level of part of a picture.
region_brightness() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:; }

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
sleep 3

settle
shot="$workdir/screenshot0.ppm"
[ -s "$shot" ] || fail "Tab wrote no screenshot0.ppm"
size=$(identify -format '%w x %h' "$shot")
[ "$size" = "800 x 800" ] || fail "screenshot is $size"
lit=$(lit_fraction "$shot")
at_least "$lit" 0.01 || fail "the screenshot shows no smoke (lit fraction $lit)"
grep -q "wrote file (800 x 800 pixels, 1920000 bytes)" "$workdir/stdout.txt" || fail "no progress line"
first=$(md5sum < "$shot")
echo "first screenshot: lit fraction $lit"

settle
[ "$(md5sum < "$shot")" != "$first" ] || fail "the second Tab did not replace the screenshot"
[ "$(grep -c 'wrote file' "$workdir/stdout.txt")" = 2 ] || fail "expected two progress lines"
[ "$(ls "$workdir" | grep -c ppm)" = 1 ] || fail "more than one picture file"

# Bigger sprites light more of the window.
grab "$workdir/small.png"
small=$(lit_fraction "$workdir/small.png")
for _ in $(seq 8); do press Z; done
settle
grab "$workdir/large.png"
large=$(lit_fraction "$workdir/large.png")
echo "lit fraction: point size 30 $small, point size 62 $large"
at_least "$large" "$(awk -v s="$small" 'BEGIN { print s * 1.2 }')" || fail "Z did not make the lit area grow"
for _ in $(seq 8); do press X; done  # back to 30 pixels
settle

# Fade modes. Fade-out dims the old smoke of the tail; fade-in dims the
# newborn smoke at the emitter.
emitter=120x160+680+320
tail=360x800+0+0
grab "$workdir/constant.png"
base_emitter=$(region_brightness "$workdir/constant.png" $emitter)
base_tail=$(region_brightness "$workdir/constant.png" $tail)
# dimmed NAME REGION BOUND: grabs the window until REGION's brightness is at
# most BOUND, up to 30 s (the smoke takes a moment to show a mode fully);
# prints the last brightness, and fails when it never got there.
dimmed() {
  local level
  for _ in $(seq 100); do
    grab "$workdir/$1.png"
    level=$(region_brightness "$workdir/$1.png" "$2")
    at_least "$3" "$level" && { echo "$level"; return 0; }
    sleep 0.3
  done
  echo "$level"
  return 1
}
press C
settle
out_tail=$(dimmed fade-out $tail "$(awk -v b="$base_tail" 'BEGIN { print b * 0.8 }')") ||
  fail "fade-out did not dim the tail ($base_tail, then $out_tail)"
press C
press M
settle
in_emitter=$(dimmed fade-in $emitter "$(awk -v b="$base_emitter" 'BEGIN { print b * 0.7 }')") ||
  fail "fade-in did not dim the emitter ($base_emitter, then $in_emitter)"
press M
echo "emitter: constant $base_emitter, fade-in $in_emitter; tail: constant $base_tail, fade-out $out_tail"

# K from 4000 down to 0 (a further K keeps it there): a black picture.
press K
press K
press K
settle
peak=$(convert "$shot" -format '%[fx:maxima]' info:)
[ "$peak" = 0 ] || fail "the picture with no particles is not black (peak $peak)"

"$CLOSE_TOOL" "$id"
wait_exit 20
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
echo "PASS"
