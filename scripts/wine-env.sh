# Sourced: the one Wine set-up that the scripts and the test emulator share.
export WINEARCH=win64
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-vandrel}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Call the 64-bit loader directly: the /usr/bin wrappers pick the 32-bit one when it is installed.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINELOADER="$WINE"
