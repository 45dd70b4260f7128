#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# and any further packages named on the command line (`--only PACKAGE...`
# for just those), printing what it installs; does nothing when all are
# present. Runs apt-get through sudo when not root.
set -euo pipefail

needed=(
  # Build: compiler, CMake, test and benchmark libraries.
  cmake g++ make pkg-config
  # Manual pages, from their scdoc sources.
  scdoc
  libgtest-dev libgmock-dev libbenchmark-dev
  # The window, the GL and its software renderer, on a display or off
  # screen through EGL.
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
  # CPU frames put straight into an X window through shared memory.
  libxext-dev
  # The capture tool: PNG files, and videos through the ffmpeg program
  # (whose ffprobe the tests read videos back with).
  libpng-dev ffmpeg
  # The panel.
  libimgui-dev
  # Command lines, and the preset files.
  libcli11-dev libtomlplusplus-dev
  # Display tests and `make run` without a display: a virtual X server,
  # window and key tools, screen grabs and picture checks, and the core
  # fonts the window layer's message boxes are drawn with.
  libx11-dev xvfb xdotool x11-utils imagemagick xfonts-base
  # The screensaver's test runs the real XScreenSaver; the pacing test
  # minimises a window under a real window manager.
  xscreensaver openbox
)
if [ "${1:-}" = --only ]; then
  shift
  packages=("$@")
else
  packages=("${needed[@]}" "$@")
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
# A passing hiccup of the package mirror is retried, not fatal.
retries=(-o Acquire::Retries=5)
$sudo apt-get "${retries[@]}" update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get "${retries[@]}" install -y -qq --no-install-recommends \
  "${missing[@]}"
