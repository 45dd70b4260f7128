#!/usr/bin/env bash
# Smoke on the desktop, to look at: --window-id draws into a window another
# program made, following its size; --wallpaper is a window of type desktop
# the screen's size. Neither writes anything in the program's folders, and
# SIGTERM ends each with status 0, as the window's going away does. A
# window id that names no window exits with 1.
source "$(dirname "$0")/lib.sh"
WINDOW_TOOL=${WINDOW_TOOL:?path to x11_test_window}

# lit_in ID GEOMETRY: the lit fraction of that part of window ID.
lit_in() {
  import -window "$1" "$workdir/window.png" 2>/dev/null || { echo 0; return 0; }
  convert "$workdir/window.png" -crop "$2" +repage -colorspace Gray -threshold 4% -format '%[fx:mean]' info:
}
# waits_for_smoke ID GEOMETRY WHAT: up to 120 s for smoke there.
waits_for_smoke() {
  for _ in $(seq 600); do
    at_least "$(lit_in "$1" "$2")" 0.01 && return 0
    kill -0 "$nimbrel_pid" 2>/dev/null || fail "nimbrel exited before drawing $3"
    sleep 0.2
  done
  fail "no smoke in $3 within 120 s"
}
# nothing_written: the program's folders hold no file.
nothing_written() {
  local files
  files=$({ find "$workdir/config" "$workdir/data" "$workdir/state" -type f 2>/dev/null || true; } | wc -l)
  [ "$files" = 0 ] || fail "$1 wrote $files files in the program's folders"
}

"$WINDOW_TOOL" >"$workdir/window.txt" 2>&1 &
helpers+=($!)
for _ in $(seq 1200); do [ -s "$workdir/window.txt" ] && break; sleep 0.1; done
window=$(head -n 1 "$workdir/window.txt")
[ -n "$window" ] || fail "the test window did not open"
start_nimbrel with-sprite --window-id "$window" --set particles=20000
waits_for_smoke "$window" 320x240+0+0 "the 320 x 240 window"
xdotool windowsize --sync "$window" 640 480
# The new half, drawn once the program follows the size: the emitter is
# at the right of the view.
waits_for_smoke "$window" 320x480+320+0 "the window's new right half"
kill -TERM "$nimbrel_pid"
wait_exit 120
[ "$exit_code" = 0 ] || fail "--window-id: exit code $exit_code after SIGTERM"
nothing_written --window-id

# The window's owner closing it ends the program too, with 0: here the
# test tool ends, and the server destroys its window. The second window's
# id goes to a file of its own: the first's, still there, is not its.
"$WINDOW_TOOL" >"$workdir/window2.txt" 2>&1 &
tool=$!
helpers+=($tool)
for _ in $(seq 1200); do [ -s "$workdir/window2.txt" ] && break; sleep 0.1; done
window=$(head -n 1 "$workdir/window2.txt")
[ -n "$window" ] || fail "the second test window did not open"
start_nimbrel with-sprite --window-id "$window"
waits_for_smoke "$window" 320x240+0+0 "the second window"
kill -TERM "$tool"
wait_exit 120
[ "$exit_code" = 0 ] || fail "--window-id: exit code $exit_code once its window was gone"

start_nimbrel with-sprite --wallpaper
id=$(wait_for_window Nimbrel)
xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DESKTOP || fail "the wallpaper's window is not of type desktop"
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
size=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = "$screen" ] || fail "the wallpaper is $size, not the screen's $screen"
waits_for_smoke "$id" "$screen+0+0" "the wallpaper"
kill -TERM "$nimbrel_pid"
wait_exit 120
[ "$exit_code" = 0 ] || fail "--wallpaper: exit code $exit_code after SIGTERM"
nothing_written --wallpaper

(cd "$workdir" && exec "$NIMBREL" --window-id 0x7ffffff >"$workdir/stdout.txt" 2>"$workdir/stderr.txt") && code=0 || code=$?
[ "$code" = 1 ] || fail "a window id that names no window: exit code $code"
grep -q "no window 0x7ffffff" "$workdir/stderr.txt" || fail "no reason given for a missing window"
echo "--window-id: smoke in a 320 x 240 window and in its new half at 640 x 480; --wallpaper: type desktop, $size"
pass
