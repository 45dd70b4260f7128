#!/usr/bin/env bash
# Files from anyone: each hostile preset makes both programs exit 2 with
# its message, at once (a hang shows as the timeout's 124), and a link
# planted at screenshot0.ppm leads the capture's Tab nowhere else.
set -euo pipefail
NIMBREL=${NIMBREL:?path to nimbrel}
CAPTURE=${CAPTURE:?path to nimbrel-capture}

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

mkfifo fifo.toml
mkdir folder.toml
ln -s fifo.toml link-to-fifo.toml
{ printf 'a'; for _ in $(seq 32000); do printf '.a'; done; printf ' = 1\n'; } > deep.toml
head -c 65537 /dev/zero | tr '\0' '#' > large.toml
printf 'opacity = 0.5\n\0\n' > nul.toml

check() {  # FILE MESSAGE
  local program code
  for program in "$NIMBREL --preset" "$CAPTURE --frames 1 --out out --preset"; do
    code=0
    # shellcheck disable=SC2086  # the program and its options
    timeout 10 $program "$1" > stdout.txt 2> stderr.txt || code=$?
    [ "$code" = 2 ] || fail "$(basename "$program") --preset $1: exit $code"
    grep -qF -- "$2" stderr.txt || fail "$(basename "$program") --preset $1: no \"$2\" in: $(cat stderr.txt)"
  done
}

check ./fifo.toml "./fifo.toml: is not a regular file"
check ./folder.toml "./folder.toml: is not a regular file"
check /dev/zero "/dev/zero: is not a regular file"
check ./link-to-fifo.toml "./link-to-fifo.toml: is not a regular file"
check ./deep.toml "./deep.toml: line 1: a preset holds only name = value lines"
check ./large.toml "./large.toml: larger than 64 KiB"
check ./nul.toml "./nul.toml: line 2: only printable ASCII text is allowed"
[ -d out ] && fail "a refused capture left its --out folder"

# A link planted at screenshot0.ppm: Tab replaces the link, not its target.
printf 'precious\n' > victim.txt
ln -s victim.txt screenshot0.ppm
[ -n "${SPRITE:-}" ] && cp "$SPRITE" particle3.bmp
# Off screen, as the capture tests run it; the GL driver's own allocations
# are no leaks of ours.
timeout 120 env -u DISPLAY LIBGL_ALWAYS_SOFTWARE=1 ASAN_OPTIONS=detect_leaks=0 \
  __EGL_VENDOR_LIBRARY_FILENAMES=/usr/share/glvnd/egl_vendor.d/50_mesa.json \
  "$CAPTURE" --frames 2 --keys 1:Tab --out frames > capture.txt 2>&1 ||
  fail "the capture with Tab failed: $(tail -n 5 capture.txt)"
[ "$(cat victim.txt)" = precious ] || fail "Tab wrote through the link into its target"
[ -f screenshot0.ppm ] && [ ! -L screenshot0.ppm ] || fail "screenshot0.ppm is not the picture"

[ "$failures" = 0 ] || exit 1
echo "PASS"
