#!/usr/bin/env bash
# Runs a command on a private Xvfb display with Mesa's software renderer,
# and stops the server afterwards. The display number is chosen by Xvfb,
# so several of these can run at once. -noreset: by default the server
# resets when its last client leaves, and a client that connects during
# the reset (the program, right after the readiness probe) is refused.
set -euo pipefail

scratch=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x1024x24 -nolisten tcp -noreset 3>"$scratch/display" 2>"$scratch/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$scratch"' EXIT

for _ in $(seq 200); do
  [ -s "$scratch/display" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$scratch/xvfb.log" >&2; exit 1; }
  sleep 0.05
done
[ -s "$scratch/display" ] || { echo "Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n 1 "$scratch/display")"
# Ready only once a client can talk to it.
for _ in $(seq 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.05
done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb on $DISPLAY takes no clients" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }
export LIBGL_ALWAYS_SOFTWARE=1
# In sanitizer builds: the window system and GL driver libraries hold on to
# allocations until exit (some from driver modules already unloaded, which
# no suppression can name), so leak checking stays with the tests that need
# no display.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
"$@"
