#!/usr/bin/env bash
# The installed tree: moved after installing, it still finds its sprite;
# a sprite in the working directory wins; with neither, the one "Error"
# message. The build tree's programs, run from an empty folder, find theirs
# as the installed ones do. And the command lines: --help, --version,
# usage errors; and the screensaver as XScreenSaver runs it, with each of
# its settings.
# Usage: install_test.sh BUILD-DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/moved"
bin="$work/moved/bin"
export LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS=detect_leaks=0
unset DISPLAY

# capture FOLDER: one frame from FOLDER; its standard error in FOLDER/err.
capture() {
  mkdir -p "$1"
  (cd "$1" && "$bin/nimbrel-capture" --frames 2 --every 2 --out x >/dev/null 2>err) || fail "capture in $1: $(cat "$1/err")"
}
colours() { convert "$1/x/frame000002.png" -format %k info:; }

capture "$work/empty"
! grep -q Error "$work/empty/err" || fail "the installed sprite was not found: $(cat "$work/empty/err")"
[ "$(colours "$work/empty")" -gt 200 ] || fail "the installed sprite does not texture the smoke"

# The build tree's capture, from an empty folder and from inside the build
# tree: the same textured frame, and no error.
bin="$build/capture" capture "$work/from-build"
! grep -q Error "$work/from-build/err" || fail "the build tree's sprite was not found: $(cat "$work/from-build/err")"
[ "$(colours "$work/from-build")" -gt 200 ] || fail "the build tree's sprite does not texture the smoke"
rm -rf "$build/install-test-x"
(cd "$build" && capture/nimbrel-capture --frames 2 --every 2 --out install-test-x >/dev/null 2>&1) || fail "capture inside the build tree"
cmp -s "$build/install-test-x/frame000002.png" "$work/from-build/x/frame000002.png" ||
  fail "the frame from an empty folder differs from the one made inside the build tree"
rm -rf "$build/install-test-x"

mkdir -p "$work/own"
convert -size 16x16 xc:gray40 "BMP3:$work/own/particle3.bmp"
capture "$work/own"
! grep -q Error "$work/own/err" || fail "the user's own sprite was refused: $(cat "$work/own/err")"
cmp -s "$work/own/x/frame000002.png" "$work/empty/x/frame000002.png" && fail "the working directory's sprite did not win"

rm "$work/moved/share/nimbrel/particle3.bmp"
capture "$work/neither"
[ "$(grep Error "$work/neither/err")" = "Error: Failed to open DIB file ./particle3.bmp." ] ||
  fail "without a sprite, not the one message: $(cat "$work/neither/err")"

for program in nimbrel nimbrel-capture; do
  "$bin/$program" --help | grep -q "^Usage: $program" || fail "$program --help"
  [ "$("$bin/$program" --version)" = "$program ${NIMBREL_VERSION:?}" ] || fail "$program --version"
  status=0
  "$bin/$program" --bogus >/dev/null 2>"$work/usage" || status=$?
  [ "$status" = 2 ] && grep -q "unknown option --bogus" "$work/usage" || fail "$program --bogus: $status $(cat "$work/usage")"
done
status=0
"$bin/nimbrel" extra 2>"$work/usage" || status=$?
[ "$status" = 2 ] && grep -q 'unexpected argument "extra"' "$work/usage" || fail "nimbrel extra: $status"
# A flag given a value is a usage error, not a value read as true or false.
for flag in --fullscreen=abc --version=0; do
  status=0
  "$bin/nimbrel" "$flag" >/dev/null 2>"$work/usage" || status=$?
  [ "$status" = 2 ] && grep -q -- "${flag%%=*} takes no value" "$work/usage" || fail "nimbrel $flag: $status"
done
# The frame rate: --max-fps (0 for none, up to 1000) anywhere, --delay
# (microseconds, XScreenSaver's) on the desktop; with no display, what is
# taken stops at the display, what is not is a usage error naming it.
while IFS="|" read -r expected args; do
  status=0
  env -u DISPLAY "$bin/nimbrel" $args >/dev/null 2>"$work/usage" || status=$?
  if [ "$expected" = takes ]; then
    grep -q "no X display\|no display" "$work/usage" || fail "nimbrel $args was refused: $status $(cat "$work/usage")"
  else
    [ "$status" = 2 ] && grep -q -- "$expected" "$work/usage" || fail "nimbrel $args: $status $(cat "$work/usage")"
  fi
done <<'CASES'
takes|--max-fps 0
takes|--max-fps 1000
takes|--wallpaper --max-fps 1
--max-fps: 1001 is out of range|--max-fps 1001
--max-fps: -1 is out of range|--max-fps -1
--max-fps: "fast" is not a whole number|--max-fps fast
takes|--root --delay 0
takes|--root --delay 1000
takes|--root --delay 1001
takes|--root --delay 1000000
--delay: 1000001 is out of range|--root --delay 1000001
--delay: -1 is out of range|--root --delay -1
--delay: "slow" is not a whole number|--root --delay slow
--delay: the pause between frames is for|--delay 20000
--max-fps and --delay both|--root --delay 20000 --max-fps 30
CASES
# The screensaver as XScreenSaver runs it: through the link where it looks
# for hacks, and with what its settings make of each menu entry and each
# slider's ends and default (numbers written as it writes them, the command
# run through the shell as it runs one): the program takes them all, and so
# stops only at the missing display.
settings="$work/moved/share/xscreensaver/config/nimbrel.xml"
hack="$work/moved/libexec/xscreensaver/nimbrel"
[ -f "$settings" ] && [ -x "$hack" ] || fail "the screensaver's settings or program are not installed"
arguments=$(awk '
  function attribute(name) { return match(element, " " name "=\"[^\"]*\"") ? substr(element, RSTART + length(name) + 3, RLENGTH - length(name) - 4) : "" }
  function number(v, integral) { v = integral ? sprintf("%d", v + (v > 0 ? 0.5 : -0.5)) : sprintf("%.4f", v)
    if (!integral) { sub(/0+$/, "", v); sub(/\.$/, "", v) } return v }
  /<(number|option)/ { element = "" }
  { element = element " " $0 }
  /\/>/ && element ~ /<number/ {
    integral = (attribute("low") attribute("high") attribute("default")) !~ /\./
    split(attribute("low") " " attribute("high") " " attribute("default"), ends, " ")
    for (i = 1; i <= 3; i++) { arg = attribute("arg"); sub(/%/, number(ends[i], integral), arg); print arg }
  }
  /\/>/ && element ~ /<option/ && attribute("arg-set") != "" { print attribute("arg-set") }' "$settings")
[ "$(echo "$arguments" | grep -c .)" -ge 15 ] || fail "the screensaver's settings give too few choices: $arguments"
while read -r choice; do
  status=0
  env -u DISPLAY sh -c "exec '$hack' --root $choice" 2>"$work/saver" || status=$?
  [ "$status" = 2 ] && grep -q "no X display" "$work/saver" ||
    fail "the screensaver refuses its own setting '$choice': $(cat "$work/saver")"
done <<<"$arguments"
echo "PASS"
