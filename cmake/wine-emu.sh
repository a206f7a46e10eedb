#!/bin/sh
# Runs a Windows test program under Wine for ctest: Wine's background services must not hold
# ctest's output pipe, and Wine's desktop must be on the DISPLAY of this run.
. "$(dirname "$0")/../scripts/wine-env.sh"
mkdir -p "$WINEPREFIX"
( flock 9
  if [ "$(cat "$WINEPREFIX/.emu_display" 2>/dev/null)" != "${DISPLAY:-none}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 9>&-; "$WINESERVER" -w >/dev/null 2>&1 9>&-
    echo "${DISPLAY:-none}" > "$WINEPREFIX/.emu_display"; fi
  if "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&-; then
    "$WINE" wineboot </dev/null >/dev/null 2>&1 9>&-; fi
) 9>"$WINEPREFIX/.emu.lock"
exec "$WINE" "$@"
