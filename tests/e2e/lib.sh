# Shared steps of the end-to-end tests: run the real program in a scratch
# working directory on the current (Xvfb) display, find its window, grab the
# screen, close it. Sourced by the test scripts.
#
# The program writes its journal, its standard output, its screenshots and
# its state files on its own time, often on a thread of its own: whatever
# reads them treats "not there yet" as "wait", and only the end of a wait
# fails. A script that stops for any other reason than pass says where, in
# a FAIL: line: a failing command through the ERR trap, anything else
# (a signal, an exit) through the EXIT trap.
set -Eeuo pipefail

NIMBREL=${NIMBREL:?path to the nimbrel program}
CLOSE_TOOL=${CLOSE_TOOL:?path to x11_close_window}
SPRITE=${SPRITE:-}
# The program's niceness: tools/repeat-display-tests.sh starves it (and so
# its journal's thread) while the test's own commands run at full speed.
NIMBREL_NICE=${NIMBREL_NICE:-0}

workdir=$(mktemp -d)
# The program's own files (presets, recordings) stay in the scratch folder.
export XDG_CONFIG_HOME="$workdir/config" XDG_DATA_HOME="$workdir/data" XDG_STATE_HOME="$workdir/state"
nimbrel_pid=""
helpers=()  # other programs a test starts, ended with it
passed=""
failed=""
cleanup() {
  local status=$?
  [ -n "$passed$failed" ] || echo "FAIL: $(basename "$0") exited with status $status before it passed" >&2
  [ -n "$nimbrel_pid" ] && kill -KILL "$nimbrel_pid" 2>/dev/null || true
  [ ${#helpers[@]} -eq 0 ] || kill -KILL "${helpers[@]}" 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT
# A failing command in the script itself or in a function it calls; the
# subshells of $(...) leave it to the shell that waits for them.
on_error() {
  local status=$1 line=$2 file=$3 command=$4
  [ "$BASH_SUBSHELL" = 0 ] || return 0
  trap - ERR
  fail "$(basename "$file") line $line: '$command' exited with status $status"
}
trap 'on_error $? $LINENO "${BASH_SOURCE[0]}" "$BASH_COMMAND"' ERR
for signal in INT TERM HUP; do trap "fail \"$(basename "$0") stopped by SIG$signal\"" "$signal"; done

recordings="$workdir/data/nimbrel/recordings"

# frame_rate: the frame rate of the last session, as its recording tells
# it (frames over the sum of their clock steps); a program still running
# is ended in order first, so that it keeps its recording.
frame_rate() {
  if [ -n "$nimbrel_pid" ] && kill -TERM "$nimbrel_pid" 2>/dev/null; then
    for _ in $(seq 100); do kill -0 "$nimbrel_pid" 2>/dev/null || break; sleep 0.1; done
  fi
  [ -s "$recordings/last-session" ] || { echo "unknown (no recording)"; return 0; }
  awk '/^(run|frame):/ { last = $1 == "run:" ? NF : 2; frames += last - 1
         for (i = 2; i <= last; i++) { n = split($i, s, "+"); for (j = 1; j <= n; j++) if (s[j] != "-") ms += s[j] } }
       END { if (ms > 0) printf "%.0f fps (%d frames in %.1f s)\n", frames * 1000 / ms, frames, ms / 1000
             else print "unknown (no clock steps)" }' "$recordings/last-session"
}

fail() {
  failed=1
  echo "FAIL: $*" >&2
  echo "frame rate: $(frame_rate)" >&2
  for log in stdout stderr; do
    [ -s "$workdir/$log.txt" ] && { echo "--- nimbrel $log:" >&2; tail -n 40 "$workdir/$log.txt" >&2; }
  done
  exit 1
}

# pass: the frame rate the test saw, and PASS.
pass() {
  passed=1
  echo "frame rate: $(frame_rate)"
  echo "PASS"
}

# skip REASON: the test cannot run here (CTest's SKIP_RETURN_CODE, 77).
skip() {
  passed=1
  echo "SKIP: $*"
  exit 77
}

# start_nimbrel [with-sprite|without-sprite] [OPTION...]: starts the
# program in $workdir; without the sprite, a copy of it where none is found.
start_nimbrel() {
  rm -f "$workdir/particle3.bmp"
  local program=$NIMBREL
  if [ "${1:-with-sprite}" = with-sprite ] && [ -n "$SPRITE" ]; then
    cp "$SPRITE" "$workdir/particle3.bmp"
  elif [ "${1:-}" = without-sprite ]; then
    # A copy of the program in a folder of its own, with no data beside it.
    mkdir -p "$workdir/alone/bin"
    cp "$NIMBREL" "$workdir/alone/bin/nimbrel"
    program="$workdir/alone/bin/nimbrel"
  fi
  shift || true
  previous_session=$(readlink "$recordings/last-session" 2>/dev/null || true)
  (cd "$workdir" && exec nice -n "$NIMBREL_NICE" "$program" "$@" >"$workdir/stdout.txt" 2>"$workdir/stderr.txt") &
  nimbrel_pid=$!
}

# window_id TITLE: the id of the top-level window with exactly that title.
window_id() {
  # awk reads the whole tree: leaving early would end xwininfo with
  # SIGPIPE (status 141) where the tree is long, as under a window manager.
  xwininfo -root -tree | awk -v title="\"$1\":" '$2 == title && !found { print $1; found = 1 }'
}

# wait_for_window TITLE: waits up to 120 s for the window, made and shown
# (a window the program has made but not yet mapped takes no focus), and
# prints its id.
wait_for_window() {
  local id=""
  for _ in $(seq 1200); do
    id=$(window_id "$1")
    [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && { echo "$id"; return 0; }
    kill -0 "$nimbrel_pid" 2>/dev/null || fail "nimbrel exited before showing \"$1\""
    sleep 0.1
  done
  fail "no window titled \"$1\" within 120 s"
}

# press KEY: a tap, well short of the auto-repeat delay. Its action comes
# when the program next has a free pass, however slow its frames.
press() {
  xdotool keydown "$1"
  sleep 0.1
  xdotool keyup "$1"
}

# shots_written: how many screenshots the program has reported.
shots_written() { grep -c 'wrote file' "$workdir/stdout.txt" || true; }

# settle: taps Tab and waits, up to 120 s, for its screenshot: every key
# pressed before it has then acted, in order, and the window shows it. On a
# busy machine this is what to wait for, never a fixed time.
settle() {
  local before
  before=$(shots_written)
  press Tab
  for _ in $(seq 1200); do
    [ "$(shots_written)" -gt "$before" ] && return 0
    kill -0 "$nimbrel_pid" 2>/dev/null || fail "nimbrel exited"
    sleep 0.1
  done
  fail "Tab wrote no screenshot within 120 s: a press was lost"
}

# journal_shows PATTERN: waits, up to 120 s, until this run's journal
# (last-session, once it names a journal other than the one before this
# start) holds a line matching PATTERN. Its thread writes a few times a
# second: a line not there yet is waited for.
journal_shows() {
  for _ in $(seq 1200); do
    [ "$(readlink "$recordings/last-session" 2>/dev/null)" != "$previous_session" ] &&
      grep -q -- "$1" "$recordings/last-session" 2>/dev/null && return 0
    kill -0 "$nimbrel_pid" 2>/dev/null || fail "nimbrel exited before its journal showed '$1'"
    sleep 0.1
  done
  fail "this session's journal did not show '$1' within 120 s"
}

# toggle_panel: taps F3 and waits, up to 120 s, until the recording shows
# the panel's new state. F3 acts after every other waiting key, so a Tab
# pressed after it may act first: its screenshot alone does not say so.
toggle_panel() {
  local before
  journal_shows '^start'
  before=$(panel_state)
  press F3
  for _ in $(seq 1200); do
    [ "$(panel_state)" != "$before" ] && return 0
    kill -0 "$nimbrel_pid" 2>/dev/null || fail "nimbrel exited"
    sleep 0.1
  done
  fail "F3 did not act within 120 s"
}
# panel_state: whether the panel shows ("on" or "off") as the recording
# last says.
panel_state() { { grep -o ' panel=o[nf]*' "$recordings/last-session" 2>/dev/null || true; } | tail -n 1 | cut -d= -f2; }

# grab FILE: the window's 800 x 800 area of the screen as a PNG.
grab() { import -window root -crop 800x800+0+0 +repage "$1"; }

# lit_fraction FILE: the share of pixels brighter than a faint grey.
lit_fraction() { convert "$1" -colorspace Gray -threshold 4% -format '%[fx:mean]' info:; }

# grab_smoke FILE: grabs the window once its smoke has grown past the
# emitter (a lit fraction of 2%), up to 120 s however slow the frames.
grab_smoke() {
  for _ in $(seq 600); do
    grab "$1"
    at_least "$(lit_fraction "$1")" 0.02 && return 0
    sleep 0.2
  done
  fail "the smoke did not grow within 120 s"
}

# mean_brightness FILE: the mean grey level, 0 to 1.
mean_brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

# wait_exit SECONDS: waits for the program; its exit code goes to
# $exit_code. Not for a subshell: only this shell can wait for it.
wait_exit() {
  exit_code=0
  for _ in $(seq $(( $1 * 10 ))); do
    if ! kill -0 "$nimbrel_pid" 2>/dev/null; then
      wait "$nimbrel_pid" || exit_code=$?
      nimbrel_pid=""
      return 0
    fi
    sleep 0.1
  done
  fail "nimbrel did not exit within $1 s"
}

# at_least A B: true when A >= B, for fractions.
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# replay_exact DIR [RECORDING]: renders the last session (or RECORDING, a
# path) again, exactly, off screen in DIR, drawing only the frames it took
# screenshots of: DIR/frames/screenshot0.ppm is then the session's last
# screenshot, as the capture draws it.
replay_exact() {
  mkdir -p "$1"
  [ -n "$SPRITE" ] && cp "$SPRITE" "$1/particle3.bmp"
  (cd "$1" && env -u DISPLAY LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS=detect_leaks=0 \
    __EGL_VENDOR_LIBRARY_FILENAMES=/usr/share/glvnd/egl_vendor.d/50_mesa.json \
    "${CAPTURE:?path to nimbrel-capture}" --replay "${2:-last-session}" --exact --every 999999 --out frames) \
    >"$workdir/replay.txt" 2>&1 || fail "exact replay: $(tail -n 5 "$workdir/replay.txt")"
}

# recorded NAME: the values NAME took during the last session, in order;
# nothing while the journal does not yet exist or hold them.
recorded() {
  { grep -o " $1=[^ ]*" "$recordings/last-session" 2>/dev/null || true; } | cut -d= -f2 | tr '\n' ' ' | sed 's/ $//'
}
