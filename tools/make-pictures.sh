#!/usr/bin/env bash
# Makes the pictures Nimbrel ships from its own frames, rendered by the
# capture tool: data/screenshot.png (the README's picture and the AppStream
# screenshot) and the icons data/icons/SIZE.png. Run after a change to the
# look made on purpose, and look at them before committing.
# Usage: tools/make-pictures.sh [BUILD-DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp "$build/share/nimbrel/particle3.bmp" "$work/"
# Five seconds of the start-up smoke, fading as it ages.
(cd "$work" && "$build/capture/nimbrel-capture" --frames 300 --every 300 --keys 1:C --out frames)
frame="$work/frames/frame000300.png"
png=(-strip -define png:exclude-chunks=date,time)
convert "$frame" "${png[@]}" "$here/data/screenshot.png"
# The icon: the plume where it leaves the emitter.
for size in 48 64 128 256; do
  convert "$frame" -crop 500x500+250+150 +repage -resize "${size}x${size}" "${png[@]}" "$here/data/icons/$size.png"
done
echo "made data/screenshot.png and data/icons/{48,64,128,256}.png"
