#!/usr/bin/env bash
# A session recorded and rendered again, at a capped rate (--max-fps 20):
# key taps, a slider dragged in the F3 panel, the view dragged, Tab's
# screenshot, F9; ended by SIGTERM. The
# session is kept as last-session, and the capture's exact replay, run in
# another folder, takes the same screenshot, byte for byte; its smooth
# replay is as long as the session and ends on its values. --resume starts
# from them.
source "$(dirname "$0")/lib.sh"
CAPTURE=${CAPTURE:?path to nimbrel-capture}

slider_y=228  # the sprite-size slider's row in the panel (see panel_test.sh)

start_nimbrel with-sprite --max-fps 20
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
press Z
press Z
toggle_panel
xdotool mousemove --window "$id" 150 $slider_y mousedown 1  # small sprites, quick to draw
for x in 160 170 180; do xdotool mousemove --window "$id" "$x" $slider_y; sleep 0.1; done
xdotool mouseup 1
toggle_panel
# Presses waiting together act in the controls' order, F3 after every row:
# a Tab of its own lets F3 act before the screenshot compared below.
settle
xdotool mousemove --window "$id" 600 600 mousedown 1 mousemove --window "$id" 640 560 mouseup 1
press C
settle  # the panel hidden: the picture is the smoke's alone
press F9
for _ in $(seq 1200); do grep -q "recorded the session as" "$workdir/stdout.txt" && break; sleep 0.1; done
grep -q "recorded the session as $workdir/data/nimbrel/recordings/20" "$workdir/stdout.txt" ||
  fail "F9 printed no recording's path"
kill -TERM "$nimbrel_pid"
wait_exit 120
[ "$exit_code" = 0 ] || fail "exit code $exit_code after SIGTERM"
last="$workdir/data/nimbrel/recordings/last-session"
[ -s "$last" ] || fail "no last-session"
grep -qx "renderer cpu" "$last" || fail "the live program on the software GL did not draw with the CPU"
grep -q "^frame: .* shot" "$last" || fail "the screenshot is not in the recording"
grep -q "^frame: .*sprite_size=" "$last" || fail "the slider's change is not in the recording"
grep -q "^frame: .*yaw=" "$last" || fail "the view's drag is not in the recording"
# At 20 frames a second the clock steps 50 ms a frame, more where frames
# come late: the median is no shorter.
median=$(awk '/^(run|frame):/ { last = $1 == "run:" ? NF : 2
    for (i = 2; i <= last; i++) { n = split($i, s, "+"); m = 0; for (j = 1; j <= n; j++) if (s[j] != "-") m += s[j]; print m } }' \
  "$last" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
[ "${median:-0}" -ge 49 ] || fail "--max-fps 20: the median clock step is $median ms"

# Rendered again in another folder, off screen.
replay="$workdir/replay"
mkdir "$replay"
[ -n "$SPRITE" ] && cp "$SPRITE" "$replay/particle3.bmp"
capture() {
  (cd "$replay" && env -u DISPLAY LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS=detect_leaks=0 \
    __EGL_VENDOR_LIBRARY_FILENAMES=/usr/share/glvnd/egl_vendor.d/50_mesa.json "$CAPTURE" "$@")
}
replay_exact "$replay"
cmp -s "$workdir/screenshot0.ppm" "$replay/frames/screenshot0.ppm" || fail "the exact replay's screenshot differs from the live one"

seconds=$(awk '/^clock / { first = $2 } END { }
  /^(run|frame):/ { for (i = 2; i <= NF; i++) { if ($i ~ /=|shot/) break; n = split($i, s, "+"); for (j = 1; j <= n; j++) if (s[j] != "-") total += s[j] } }
  END { printf "%d", total * 30 / 1000 }' "$last")
capture --replay last-session --fps 30 --out smooth > "$workdir/smooth.txt" 2>&1 || fail "smooth replay: $(cat "$workdir/smooth.txt")"
frames=$(ls "$replay/smooth" | wc -l)
[ $(( frames - seconds )) -le 1 ] && [ $(( seconds - frames )) -le 1 ] ||
  fail "the smooth replay has $frames frames for a session of $seconds thirtieths of a second"
echo "live session: $(grep -c . "$last") lines; exact and smooth replays: $frames frames at 30 fps"

# --resume: the values the session ended on, fade-out among them.
start_nimbrel with-sprite --resume
id=$(wait_for_window Nimbrel)
"$CLOSE_TOOL" "$id"
wait_exit 120
grep -q "fade_out=true" "$workdir/data/nimbrel/recordings/last-session" || fail "--resume did not start from the last values"
pass
