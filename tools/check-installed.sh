#!/usr/bin/env bash
# Checks the installed package as its user meets it, from an empty folder
# of the home: nimbrel starts from PATH under Xvfb and, after Tab, its
# screenshot shows textured smoke with no "Error" box; nimbrel-capture
# writes ten PNG files; the manual page renders. Run by the fresh-system
# check inside its root, as the new user, after `apt-get install`.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
folder=$(mktemp -d "$HOME/empty.XXXXXX")
cd "$folder"

# shellcheck disable=SC2016
"$here/tests/with-xvfb.sh" bash -c '
  set -euo pipefail
  nimbrel >stdout.txt 2>stderr.txt &
  pid=$!
  window() { xwininfo -root -tree | awk -v t="\"$1\":" "\$2 == t { print \$1; exit }"; }
  for _ in $(seq 300); do id=$(window Nimbrel); [ -n "$id" ] && break; sleep 0.1; done
  [ -n "$id" ] || { echo "nimbrel opened no window"; cat stderr.txt; exit 1; }
  sleep 1
  xdotool windowfocus --sync "$id"
  xdotool keydown Tab; sleep 0.4; xdotool keyup Tab
  for _ in $(seq 100); do [ -s screenshot0.ppm ] && grep -q "^wrote file" stdout.txt && break; sleep 0.1; done
  [ -z "$(window Error)" ] || { echo "an Error box appeared"; exit 1; }
  kill -TERM "$pid"
  wait "$pid"
'
grep -qx "wrote file (800 x 800 pixels, 1920000 bytes)" stdout.txt || { echo "Tab wrote no screenshot"; exit 1; }
! grep -q "Failed to open" stderr.txt || { cat stderr.txt; exit 1; }
# Untextured sprites are flat squares of a few grey levels; the sprite
# image gives thousands.
colours=$(convert screenshot0.ppm -format %k info:)
echo "installed nimbrel: screenshot0.ppm has $colours colours"
[ "$colours" -gt 200 ] || { echo "the smoke is not textured"; exit 1; }

nimbrel-capture --frames 10 --out x 2>capture.err
[ "$(find x -name 'frame*.png' | wc -l)" = 10 ] || { echo "nimbrel-capture wrote no ten frames"; cat capture.err; exit 1; }
! grep -q "Failed to open" capture.err || { cat capture.err; exit 1; }
echo "installed nimbrel-capture: 10 PNG files"

man nimbrel 2>/dev/null | grep -q "CONTROLS" || { echo "man nimbrel does not render"; exit 1; }
man nimbrel-capture 2>/dev/null | grep -q "EXIT STATUS" || { echo "man nimbrel-capture does not render"; exit 1; }
echo "manual pages render"
rm -rf "$folder"
