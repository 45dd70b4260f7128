#!/usr/bin/env bash
# The program opens its 800 x 800 window, streams smoke, and exits with 0
# when the window is closed or the process is sent SIGTERM.
source "$(dirname "$0")/lib.sh"

start_nimbrel
id=$(wait_for_window Nimbrel)
geometry=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = 800x800 ] || fail "window is $geometry, not 800x800"

grab_smoke "$workdir/smoke.png"
lit=$(lit_fraction "$workdir/smoke.png")
at_least "$lit" 0.01 || fail "no plume of smoke on screen (lit fraction $lit)"
at_least 0.7 "$lit" || fail "the screen is lit all over (lit fraction $lit)"
echo "smoke: lit fraction $lit"

"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code after the close request"

start_nimbrel
wait_for_window Nimbrel >/dev/null
kill -TERM "$nimbrel_pid"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code after SIGTERM"
# Without a display no window can be made: the reason, and exit code 1.
(cd "$workdir" && env -u DISPLAY "$NIMBREL" >"$workdir/stdout.txt" 2>"$workdir/stderr.txt") && code=0 || code=$?
[ "$code" = 1 ] || fail "exit code $code without a display"
grep -q "Nimbrel: cannot" "$workdir/stderr.txt" || fail "no reason given without a display"
pass
