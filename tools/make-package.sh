#!/usr/bin/env bash
# Builds the Debian package from a build tree into a folder, the same
# whatever the builder's umask: CPack makes the staging tree's folders at
# the umask's mercy (the install rules' 0755 is asked of mkdir, which the
# umask trims), so it runs under 022; then checks the modes it holds.
# Usage: make-package.sh BUILD-DIR OUT-DIR
set -euo pipefail
build=$1
out=$2
mkdir -p "$out"
rm -f "$out"/nimbrel_*.deb
(cd "$build" && umask 022 && cpack -G DEB -B "$(cd "$out" && pwd)" >/dev/null)
deb=$(ls "$out"/nimbrel_*.deb)
# Folders 0755, programs 0755, every other file 0644.
dpkg-deb -c "$deb" | awk '
  $1 ~ /^d/ && $1 != "drwxr-xr-x" { print "folder " $6 " is " $1; bad = 1 }
  $1 ~ /^-/ && $6 ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x" { print "program " $6 " is " $1; bad = 1 }
  $1 ~ /^-/ && $6 !~ /^\.\/usr\/bin\// && $1 != "-rw-r--r--" { print "file " $6 " is " $1; bad = 1 }
  END { exit bad }' || { echo "make-package: $deb has modes the builder's umask gave it" >&2; exit 1; }
echo "$deb"
