#!/usr/bin/env bash
# Starts Nimbrel from a run folder, where its screenshots land. With
# no display it runs the program under Xvfb for a few seconds, grabs the
# screen to a PNG and says where it is.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD-DIR}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
rundir="$build/run"
mkdir -p "$rundir"  # the program finds its sprite in $build/share/nimbrel/

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd "$rundir"
  exec "$build/app/nimbrel"
fi

echo "No display: running Nimbrel under Xvfb for a few seconds."
NIMBREL="$build/app/nimbrel" CLOSE_TOOL="$build/tests/x11_close_window" RUNDIR="$rundir" \
  "$here/tests/with-xvfb.sh" bash -c '
    set -euo pipefail
    cd "$RUNDIR"
    "$NIMBREL" &
    pid=$!
    for _ in $(seq 300); do
      id=$(xwininfo -root -tree | awk "\$2 == \"\\\"Nimbrel\\\":\" { print \$1; exit }")
      [ -n "$id" ] && break
      sleep 0.1
    done
    [ -n "$id" ] || { echo "Nimbrel did not open its window" >&2; kill "$pid"; exit 1; }
    sleep 4
    import -window root -crop 800x800+0+0 +repage "$RUNDIR/nimbrel-screen.png"
    "$CLOSE_TOOL" "$id"
    wait "$pid"
  '
echo "Screenshot of the running program: $rundir/nimbrel-screen.png"
