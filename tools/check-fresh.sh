#!/usr/bin/env bash
# The fresh-system check: builds a throwaway minimal Debian root, puts a
# clean clone of the committed tree (HEAD, not the working tree) into it,
# and runs the README's commands there as a newcomer would, a user with
# sudo who logs in: `make test`; `make run` with no display, which must say where its
# picture is, and the picture must show smoke; `make package`; then the
# package is installed with apt-get and checked as its user meets it
# (tools/check-installed.sh), and removed, leaving none of its files.
#
# Usage: check-fresh.sh [bookworm|trixie]; with none, Debian 12 and then
# Debian 13. Everything lives in one temporary folder per root, which is
# unmounted and removed on success, failure and interruption alike. Needs
# root for the mounts and the chroot; asks sudo for it otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" "$@"; fi

if [ $# -eq 0 ]; then
  all=$SECONDS
  for dist in bookworm trixie; do "$0" "$dist"; done
  echo "check-fresh: Debian 12 and 13 passed in $((SECONDS - all)) s"
  exit 0
fi
dist=$1
case "$dist" in
  bookworm|trixie) ;;
  *) echo "check-fresh: unknown release $dist (bookworm or trixie)" >&2; exit 2 ;;
esac

"$here/tools/install-deps.sh" --only mmdebstrap git

work=$(mktemp -d "${TMPDIR:-/tmp}/nimbrel-fresh.XXXXXX")
root="$work/root"
user=newcomer
home="/home/$user"

# Every process still running inside the root, so its mounts can go.
stop_root_processes() {
  local pid link
  for pid in /proc/[0-9]*; do
    link=$(readlink "$pid/root" 2>/dev/null) || continue
    case "$link" in "$root"|"$root"/*) kill -KILL "${pid#/proc/}" 2>/dev/null || true ;; esac
  done
}

# A stage runs in the background, so that a signal ends the check at once
# instead of waiting for the stage; this takes its whole process tree down.
stage_pid=""
signal_tree() {
  local child
  for child in $(pgrep -P "$2"); do signal_tree "$1" "$child"; done
  kill "-$1" "$2" 2>/dev/null || true
}
stop_stage() {
  [ -n "$stage_pid" ] || return 0
  # Asked first, so that a stage that cleans up after itself can.
  signal_tree TERM "$stage_pid"
  for _ in $(seq 50); do kill -0 "$stage_pid" 2>/dev/null || break; sleep 0.1; done
  signal_tree KILL "$stage_pid"
}

mounts_under_root() { awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' /proc/self/mounts | sort -r; }

cleanup() {
  local code=$?
  trap - EXIT INT TERM
  stop_stage
  stop_root_processes
  # Deepest first: ours, and any a stopped stage left behind.
  local mount
  for mount in $(mounts_under_root); do
    umount "$mount" 2>/dev/null || umount -l "$mount" 2>/dev/null || true
  done
  # Never remove anything while a mount still leads out of the folder.
  if [ -n "$(mounts_under_root)" ]; then
    echo "check-fresh: $root still has mounts; left in place" >&2
  else
    rm -rf --one-file-system "$work"
  fi
  exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# stage NAME COMMAND...: runs one stage with its output in a log, prints
# how long it took, and on failure the tail of the log.
stage() {
  local name=$1 start=$SECONDS
  shift
  echo "check-fresh: $dist: $name ..."
  "$@" >"$work/$name.log" 2>&1 &
  stage_pid=$!
  if wait "$stage_pid"; then
    stage_pid=""
    echo "check-fresh: $dist: $name done in $((SECONDS - start)) s"
  else
    echo "check-fresh: $dist: $name FAILED after $((SECONDS - start)) s; the end of its log:" >&2
    tail -n 60 "$work/$name.log" >&2
    exit 1
  fi
}

make_root() {
  # passwd: Debian 13's smallest root has no useradd.
  TMPDIR="$work" mmdebstrap --variant=apt --include=ca-certificates,make,git,sudo,passwd \
    --aptopt='Acquire::Retries "5"' "$dist" "$root"
  chroot "$root" useradd --create-home --shell /bin/bash "$user"
  echo "$user ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/$user"
  chmod 0440 "$root/etc/sudoers.d/$user"
  # sudo looks its host up by name.
  echo "127.0.1.1 $(cat "$root/etc/hostname" 2>/dev/null || hostname)" >>"$root/etc/hosts"
}

clone_tree() {
  git clone --quiet --no-hardlinks "$here" "$root$home/nimbrel"
  git -C "$root$home/nimbrel" log -1 --format='HEAD is %h %s'
  chroot "$root" chown -R "$user:$user" "$home/nimbrel"
}

mount_system() {
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  mount --rbind /dev "$root/dev"
  mount --make-rslave "$root/dev"
}

# as_newcomer COMMAND: runs a shell command in the clone as the new user,
# logged in as a person is: `su -`, through the PAM session a login has,
# with the environment and the umask it gives (002 for a user with a group
# of their own where pam_umask runs, as on Debian 13), and no display.
as_newcomer() {
  chroot "$root" su --login "$user" --command "cd ~/nimbrel && $1"
}

check_run() {
  as_newcomer 'make run'
  local picture
  picture=$(sed -n 's/^Screenshot of the running program: //p' "$work/make-run.log" | tail -n 1)
  [ -n "$picture" ] || { echo "make run did not say where its picture is"; return 1; }
  [ -s "$root$picture" ] || { echo "make run named $picture, which is not there"; return 1; }
  local lit
  lit=$(as_newcomer "convert '$picture' -colorspace Gray -threshold 4% -format '%[fx:mean]' info:")
  echo "picture $picture: lit fraction $lit"
  awk -v lit="$lit" 'BEGIN { exit !(lit >= 0.01 && lit <= 0.7) }' || { echo "the picture shows no smoke"; return 1; }
}

# The package from `make package`, installed as a user installs a .deb, and
# the manual page reader the check reads it with.
install_package() {
  as_newcomer 'sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./build/nimbrel_*.deb man-db'
  chroot "$root" dpkg-query -L nimbrel >"$work/package-files"
}

# Everything the package laid down goes with it; the folders it shares
# with other packages stay.
remove_package() {
  as_newcomer 'sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq nimbrel'
  local path left=0
  while read -r path; do
    if [ -e "$root$path" ] && ! [ -d "$root$path" ]; then echo "left behind: $path"; left=1; fi
  done <"$work/package-files"
  [ -e "$root/usr/share/nimbrel" ] && { echo "left behind: /usr/share/nimbrel"; left=1; }
  return "$left"
}

total=$SECONDS
stage debian-root make_root
stage clone clone_tree
mount_system
echo "check-fresh: $dist: $user logs in with umask $(as_newcomer umask)"
stage make-test as_newcomer 'make test'
grep -E "tests passed|Total Test time|\(Skipped\)" "$work/make-test.log" || true
# The sprite rasterizer against this system's Mesa, frame by frame: how
# many pixels differ (none on Mesa 22.3, the reference).
stage renderers as_newcomer "build/tests/capture_tests --gtest_filter='*BothRenderers*'"
grep -E "^Mesa|differ" "$work/renderers.log" || true
stage make-run check_run
tail -n 1 "$work/make-run.log"
stage make-package as_newcomer 'make package'
tail -n 1 "$work/make-package.log"
stage install-package install_package
stage installed as_newcomer 'tools/check-installed.sh'
grep -E "^installed|^manual" "$work/installed.log" || true
stage remove-package remove_package
echo "check-fresh: $dist passed in $((SECONDS - total)) s"
