#!/usr/bin/env bash
# Makes the capture test's golden frames anew, for a change to the drawing
# or the simulation made on purpose: renders the tour in
# tests/golden/tour.keys off screen on Mesa's software renderer and
# replaces tests/golden/frame000060.png, ...120 and ...180. Look at them
# before committing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$build/share/nimbrel/particle3.bmp" "$scratch/"
(cd "$scratch" && env -u DISPLAY LIBGL_ALWAYS_SOFTWARE=1 \
  __EGL_VENDOR_LIBRARY_FILENAMES=/usr/share/glvnd/egl_vendor.d/50_mesa.json \
  "$build/capture/nimbrel-capture" --frames 180 --every 60 --keys "@$here/tests/golden/tour.keys" --out frames)
cp "$scratch"/frames/frame000{060,120,180}.png "$here/tests/golden/"
echo "Golden frames written to $here/tests/golden/"
