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
wait_exit 20
[ "$exit_code" = 0 ] || fail "exit code $exit_code"

start_nimbrel without-sprite
box=$(wait_for_window Error)
sleep 0.5
boxes=$(xwininfo -root -tree | grep -c '"Error":' || true)
[ "$boxes" = 1 ] || fail "$boxes error boxes instead of one"
xdotool windowfocus --sync "$box" key Return
for _ in $(seq 100); do [ -z "$(window_id Error)" ] && break; sleep 0.1; done
[ -z "$(window_id Error)" ] || fail "the error box did not go away"
id=$(wait_for_window Nimbrel)
grab_smoke "$workdir/untextured.png"
[ -z "$(window_id Error)" ] || fail "a second error box appeared"
lit=$(lit_fraction "$workdir/untextured.png")
at_least "$lit" 0.01 || fail "no smoke after the error box (lit fraction $lit)"

difference=$(compare -metric AE "$workdir/textured.png" "$workdir/untextured.png" null: 2>&1 || true)
[ "${difference%% *}" -gt 10000 ] || fail "textured and untextured frames look alike ($difference pixels differ)"
echo "textured and untextured frames differ in $difference pixels"

"$CLOSE_TOOL" "$id"
wait_exit 20
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
echo "PASS"
