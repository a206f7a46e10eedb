#!/bin/sh
# The floors of the source tree: nothing below app/ includes it, nothing below ui/ includes ui/,
# and no product source file grows past 400 lines. Prints each offence; fails on any.
cd "${1:-$(dirname "$0")/..}" || exit 2
status=0
files() { find "$@" \( -name '*.h' -o -name '*.cpp' \) | sort; }
offend() { echo "$1"; status=1; }
for f in $(files ui engine config devices); do
  grep -q '#include "app/' "$f" && offend "$f includes app/"
done
for f in $(files engine config devices); do
  grep -q '#include "ui/' "$f" && offend "$f includes ui/"
done
for f in $(files app ui engine config devices); do
  n=$(wc -l < "$f"); [ "$n" -gt 400 ] && offend "$f has $n lines (400 at most)"
done
exit $status
