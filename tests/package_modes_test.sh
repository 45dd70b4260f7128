#!/usr/bin/env bash
# The package is the same whatever the builder's umask: built under 002
# (a desktop user's, with user-private groups) and 077, every folder in it
# is 0755, every program 0755, every other file 0644.
# Usage: package_modes_test.sh BUILD-DIR
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for mask in 002 077; do
  (umask "$mask" && "$here/tools/make-package.sh" "$1" "$work/$mask" >/dev/null) ||
    { echo "FAIL: the package built under umask $mask" >&2; exit 1; }
done
echo "PASS: the same modes under umask 002 and 077"
