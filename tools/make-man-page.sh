#!/bin/sh
# Makes a compressed manual page from its scdoc source: make-man-page.sh
# SOURCE.scd OUTPUT.gz. The first line asks man to run tbl, which the
# tables need; gzip -n leaves out the time stamp.
set -eu
{ printf "%s\n" "'\\\" t"; scdoc <"$1"; } | gzip -9n >"$2"
