#!/usr/bin/env bash
# The screensaver, run by the real XScreenSaver as a user has it: its
# programs line names "nimbrel --root --preset plume". Activated, the whole
# screen shows smoke; deactivated, the program has ended with status 0 and
# written nothing in its folders. XScreenSaver launches no hack as root, so
# a root test runs it as the unprivileged user nobody.
source "$(dirname "$0")/lib.sh"
for tool in xscreensaver xscreensaver-command; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (tools/install-deps.sh installs it)"
done
as_user=()
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || skip "setpriv is missing, and XScreenSaver will not run hacks as root"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# The user's world, which that user can read: the program and its data as
# the build tree lays them out, a home with the programs line, and the
# hack's command, which keeps the program's exit status. Everything else
# in the scratch folder stays out of reach.
chmod 755 "$workdir"
saver="$workdir/saver"
mkdir -p "$saver/bin" "$saver/share" "$saver/hacks" "$saver/home"
cp "$NIMBREL" "$saver/bin/nimbrel"
cp -r "$(dirname "$NIMBREL")/../share/nimbrel" "$saver/share/"
[ -d "$saver/share/nimbrel/presets" ] || fail "no presets beside $NIMBREL"
cat >"$saver/hacks/nimbrel" <<HACK
#!/bin/sh
# SIGTERM is handed on, and the status waited for once more.
"$saver/bin/nimbrel" "\$@" 2>"$saver/stderr.txt" &
child=\$!
trap 'kill -TERM \$child' TERM
wait \$child; status=\$?
kill -0 \$child 2>/dev/null && { wait \$child; status=\$?; }
echo \$status >"$saver/status"
HACK
chmod 755 "$saver/hacks/nimbrel"
cat >"$saver/home/.xscreensaver" <<'PREFERENCES'
mode: one
selected: 0
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
programs: GL: nimbrel --root --preset plume \n
PREFERENCES
home="$saver/home"
folders=(XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state")
chown -R 65534:65534 "$saver" 2>/dev/null || chmod -R a+rwX "$saver"
as_saver() {
  "${as_user[@]}" env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$saver/hacks:/usr/bin:/bin" \
    LIBGL_ALWAYS_SOFTWARE=1 "${folders[@]}" "$@"
}

# On a failure, the program's standard error and XScreenSaver's log.
saver_fail() {
  { echo "--- the screensaver's standard error:"; cat "$saver/stderr.txt" 2>/dev/null || true
    echo "--- XScreenSaver's log:"; tail -n 20 "$workdir/xscreensaver.txt"; } >&2
  fail "$@"
}
as_saver xscreensaver -no-splash -verbose >"$workdir/xscreensaver.txt" 2>&1 &
helpers+=($!)
for _ in $(seq 1200); do
  as_saver xscreensaver-command -time >/dev/null 2>&1 && break
  sleep 0.1
done
as_saver xscreensaver-command -time >/dev/null 2>&1 || saver_fail "XScreenSaver did not start within 120 s"
as_saver xscreensaver-command -activate >/dev/null

# Smoke over the whole screen: each quarter lit, not one corner.
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
half_w=$(( ${screen%x*} / 2 )) half_h=$(( ${screen#*x} / 2 ))
quarters=("+0+0" "+$half_w+0" "+0+$half_h" "+$half_w+$half_h")
lit=""
for _ in $(seq 600); do
  import -window root "$workdir/screen.png" 2>/dev/null || true
  lit=$(for q in "${quarters[@]}"; do
    convert "$workdir/screen.png" -crop "${half_w}x$half_h$q" +repage -colorspace Gray -threshold 4% -format '%[fx:mean] ' info: 2>/dev/null || echo "0 "
  done)
  lowest=$(echo "$lit" | tr ' ' '\n' | grep . | sort -g | head -n 1)
  at_least "${lowest:-0}" 0.02 && break
  [ -e "$saver/status" ] && saver_fail "the screensaver ended while active, status $(cat "$saver/status")"
  sleep 0.2
done
at_least "${lowest:-0}" 0.02 || saver_fail "no smoke over the whole $screen screen within 120 s (lit quarters: $lit)"
pgrep -f "$saver/bin/nimbrel --root --preset plume" >/dev/null || saver_fail "the smoke is not the hack's"

as_saver xscreensaver-command -deactivate >/dev/null
deactivated=$SECONDS
for _ in $(seq 1200); do [ -s "$saver/status" ] && break; sleep 0.1; done
[ -s "$saver/status" ] || saver_fail "the screensaver did not end within 120 s of -deactivate"
[ "$(cat "$saver/status")" = 0 ] || saver_fail "the screensaver ended with status $(cat "$saver/status")"
written=$({ find "$home/config" "$home/data" "$home/state" -type f 2>/dev/null || true; } | wc -l)
[ "$written" = 0 ] || fail "the screensaver wrote $written files in the user's folders"
as_saver xscreensaver-command -exit >/dev/null 2>&1 || true
echo "smoke over the $screen screen (lit quarters: $lit), status 0 within $((SECONDS - deactivated + 1)) s of -deactivate"
pass
