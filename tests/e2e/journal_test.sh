#!/usr/bin/env bash
# The session is written as it runs: killed with SIGKILL after a Tab, it
# leaves a journal whose exact replay takes that screenshot, byte for byte,
# and the next start keeps it. Two instances pressing F9 together three
# times keep six recordings.
source "$(dirname "$0")/lib.sh"

start_nimbrel
id=$(wait_for_window Nimbrel)
xdotool windowfocus --sync "$id"
press Z
settle
# What the program writes: the screenshot's frame reaches the journal.
for _ in $(seq 600); do grep -q "^frame: .* shot" "$recordings/last-session" 2>/dev/null && break; sleep 0.1; done
grep -q "^frame: .* shot" "$recordings/last-session" || fail "the screenshot's frame never reached the journal"
kill -KILL "$nimbrel_pid"
wait "$nimbrel_pid" 2>/dev/null || true
nimbrel_pid=""
killed=$(readlink "$recordings/last-session")
replay_exact "$workdir/replay"
cmp -s "$workdir/screenshot0.ppm" "$workdir/replay/frames/screenshot0.ppm" ||
  fail "the killed session's exact replay differs from its screenshot"
grep -q "a session cut short" "$workdir/replay.txt" || fail "the replay did not say the session was cut short"

# The next start keeps it; two instances, F9 three times each, together.
start_nimbrel
first_id=$(wait_for_window Nimbrel)
(cd "$workdir" && exec "$NIMBREL" >"$workdir/second.txt" 2>&1) &
second=$!
for _ in $(seq 300); do [ "$(xdotool search --name '^Nimbrel$' | wc -l)" = 2 ] && break; sleep 0.1; done
windows=($(xdotool search --name '^Nimbrel$'))
[ "${#windows[@]}" = 2 ] || fail "no second window"
for _ in 1 2 3; do
  for window in "${windows[@]}"; do xdotool windowfocus --sync "$window" key F9; done
done
kept() { cat "$workdir/stdout.txt" "$workdir/second.txt" | grep -c "recorded the session as $recordings/20" || true; }
for _ in $(seq 600); do [ "$(kept)" = 6 ] && break; sleep 0.1; done
files=$(find "$recordings" -name '20*' -type f | wc -l)
echo "F9 three times in each of two instances: $(kept) lines, $files recordings kept"
[ "$(kept)" = 6 ] && [ "$files" = 6 ] || fail "two instances' F9 kept $files recordings for $(kept) lines"
kill -TERM "$second"
wait "$second" || fail "the second instance's exit code $?"
"$CLOSE_TOOL" "$first_id"
wait_exit 20
[ -f "$recordings/$killed" ] || fail "the next start removed the killed session's journal"
pass
