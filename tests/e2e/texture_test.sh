#!/usr/bin/env bash
# With particle3.bmp the smoke is drawn as textured puffs; without it the
# program shows one "Error" box, and after it is dismissed keeps running
# with untextured sprites.
source "$(dirname "$0")/lib.sh"
[ -n "$SPRITE" ] || fail "SPRITE names no sprite image"

start_nimbrel with-sprite
id=$(wait_for_window Nimbrel)
grab_smoke "$workdir/textured.png"
"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"

start_nimbrel without-sprite
box=$(wait_for_window Error)
sleep 0.5
boxes=$(xwininfo -root -tree | grep -c '"Error":' || true)
[ "$boxes" = 1 ] || fail "$boxes error boxes instead of one"
xdotool windowfocus --sync "$box" key Return
for _ in $(seq 1200); do [ -z "$(window_id Error)" ] && break; sleep 0.1; done
[ -z "$(window_id Error)" ] || fail "the error box did not go away"
id=$(wait_for_window Nimbrel)
grab_smoke "$workdir/untextured.png"
[ -z "$(window_id Error)" ] || fail "a second error box appeared"
lit=$(lit_fraction "$workdir/untextured.png")
at_least "$lit" 0.01 || fail "no smoke after the error box (lit fraction $lit)"

"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"

# The sprite's look, on the capture's fixed clock: frame 60 with the sprite
# and from a copy of the capture with no data beside it.
mkdir -p "$workdir/textured" "$workdir/alone/capture"
cp "$CAPTURE" "$workdir/alone/capture/nimbrel-capture"
cp "$SPRITE" "$workdir/textured/particle3.bmp"
for run in "$workdir/textured:$CAPTURE" "$workdir/alone:$workdir/alone/capture/nimbrel-capture"; do
  (cd "${run%%:*}" && env -u DISPLAY LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS=detect_leaks=0 \
    __EGL_VENDOR_LIBRARY_FILENAMES=/usr/share/glvnd/egl_vendor.d/50_mesa.json \
    "${run#*:}" --frames 60 --every 60 --out frames >capture.txt 2>&1) || fail "capture: $(cat "${run%%:*}/capture.txt")"
done
difference=$(compare -metric AE "$workdir/textured/frames/frame000060.png" "$workdir/alone/frames/frame000060.png" null: 2>&1 || true)
[ "${difference%% *}" -gt 10000 ] || fail "textured and untextured frames look alike ($difference pixels differ)"
echo "textured and untextured frames differ in $difference pixels"
pass
