#!/usr/bin/env bash
# --fullscreen starts the window borderless over the whole screen; F11
# brings it back to 800 x 800 and fills the screen again. Sizes as the X
# server has them, not as the program believes.
source "$(dirname "$0")/lib.sh"

screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
# size ID: the window's width x height on the X server.
size() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# settles_at ID SIZE: waits up to 120 s for the window to take that size
# (the program acts on F11 when its frame loop next runs).
settles_at() {
  for _ in $(seq 1200); do [ "$(size "$1")" = "$2" ] && return 0; sleep 0.1; done
  fail "the window is $(size "$1"), not $2"
}

start_nimbrel with-sprite --fullscreen
id=$(wait_for_window Nimbrel)
settles_at "$id" "$screen"
xdotool windowfocus --sync "$id"
press F11
settles_at "$id" 800x800
press F11
settles_at "$id" "$screen"
echo "--fullscreen: $screen; F11: 800x800, then $screen again"
"$CLOSE_TOOL" "$id"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code"
pass
