#!/bin/sh
# Builds vandrel.exe and starts it under Wine: on the user's display when there is one, else on
# Xvfb with a window manager, leaving a screenshot at build/vandrel.png.
set -e
. "$(dirname "$0")/lib.sh"
build_tree win64 --target vandrel
build_tree win32 --target vandrel
# Wine here runs 64-bit programs only (see docs/testing.md): start the x86_64 build of the same sources.
exe="$build/win64/vandrel.exe"
if [ -n "$DISPLAY" ]; then
  exec "$WINE" "$exe"
fi
on_xvfb sh -c '
  "$0" "$1" & sleep "${VANDREL_SHOT_AFTER:-8}"
  import -window root "$2" && echo "screenshot: $2"
  wait' "$WINE" "$exe" "$build/vandrel.png"
