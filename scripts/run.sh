#!/bin/sh
# Builds vandrel.exe and starts it under Wine: on the user's display when there is one, else on
# Xvfb with a window manager, leaving a screenshot at build/vandrel.png.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
sh "$root/scripts/setup.sh"
. "$root/scripts/wine-env.sh"
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win64" -j "$(nproc)" --target vandrel
cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win32" -j "$(nproc)" --target vandrel
# Wine here runs 64-bit programs only (see docs/testing.md): start the x86_64 build of the same sources.
exe="$build/win64/vandrel.exe"
if [ -n "$DISPLAY" ]; then
  exec "$WINE" "$exe"
fi
xvfb-run -a -s '-screen 0 1280x800x24' sh -c '
  jwm >/dev/null 2>&1 & sleep 1
  "$0" "$1" & sleep "${VANDREL_SHOT_AFTER:-8}"
  import -window root "$2" && echo "screenshot: $2"
  wait' "$WINE" "$exe" "$build/vandrel.png"
