#!/bin/sh
# Under Wine on the current display: the x86-64 installer, silently, into a fresh prefix; the
# installed program started from its shortcut to its main window; a silent uninstall.
# Usage: install-test.sh SETUP.EXE VANDREL.EXE WORKDIR
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
setup=$(realpath "$1"); exe=$(realpath "$2"); work="$3"
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
export WINEPREFIX="$work/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"   # no menu entries on the host
log="$work/wine.log"
fails=0
check() {  # check WHAT COMMAND...
  what="$1"; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAIL: $what"; fails=$((fails + 1)); fi
}
wine_() { "$WINE" "$@" </dev/null >>"$log" 2>&1; }
finish() { "$WINESERVER" -k >/dev/null 2>&1; echo "$fails failed"; exit $((fails > 0)); }

wine_ wineboot -i; "$WINESERVER" -w
profile="$WINEPREFIX/drive_c/users/$(id -un)"
dir="$profile/AppData/Local/Programs/Vandrel"
winDir="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Vandrel"
link="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vandrel.lnk"
settings="$profile/AppData/Roaming/Quillane/Vandrel"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vandrel'

timeout 120 "$WINE" "$setup" /S </dev/null >>"$log" 2>&1
check "installed vandrel.exe" cmp "$dir/vandrel.exe" "$exe"
check "installed uninstall.exe" test -f "$dir/uninstall.exe"
check "Start-menu shortcut" cp "$link" "$work/Vandrel.lnk"
# The link's counted strings: the install folder alone is its working folder (its target is
# proven below, by starting the program through it).
counted() { strings -el "$1" | P="$2" awk 'BEGIN { p = ENVIRON["P"] } length($0) == length(p) + 1 && substr($0, 2) == p { f = 1 } END { exit !f }'; }
check "shortcut working folder" counted "$work/Vandrel.lnk" "$winDir"
"$WINE" reg query "$key" </dev/null 2>>"$log" | tr -d '\r' >"$work/uninstall-key.txt"
entry() { grep -qxF "    $1    REG_SZ    $2" "$work/uninstall-key.txt"; }
check "Apps entry name" entry DisplayName Vandrel
check "Apps entry publisher" entry Publisher Quillane
check "Apps entry version" entry DisplayVersion 1.38.0.0
check "Apps entry icon" entry DisplayIcon "$winDir\\vandrel.exe,0"
check "Apps entry uninstaller" entry QuietUninstallString "\"$winDir\\uninstall.exe\" /S"
check "no sign-in start by default" sh -c '! "$1" reg query "HKCU\Software\Microsoft\Windows\CurrentVersion\Run" /v Vandrel </dev/null' - "$WINE"

# A user's servers, to outlive the uninstall.
mkdir -p "$settings"
printf '[Twitch]\r\nRtmpurl=rtmp://live.twitch.tv/app\r\nKey=live_1\r\n' > "$settings/settings.ini"
"$WINE" start /unix "$link" </dev/null >>"$log" 2>&1
check "installed program shows its main window" timeout 30 xdotool search --sync --onlyvisible --name '^Quillane Vandrel$'
sleep 1; import -window root "$work/installed.png" 2>/dev/null

# Silent uninstall with the program still running: it is closed, then removed.
timeout 60 "$WINE" "$dir/uninstall.exe" /S </dev/null >>"$log" 2>&1
i=0
while [ -e "$dir/vandrel.exe" ] || [ -e "$link" ] || "$WINE" reg query "$key" </dev/null >/dev/null 2>&1; do
  i=$((i + 1)); [ $i -gt 60 ] && break; sleep 0.5
done
check "program closed" sh -c '! xdotool search --onlyvisible --name "^Quillane Vandrel$"'
check "program removed" test ! -e "$dir"
check "shortcut removed" test ! -e "$link"
check "Apps entry removed" sh -c '! "$1" reg query "$2" </dev/null' - "$WINE" "$key"
check "settings folder kept" grep -q 'Key=live_1' "$settings/settings.ini"
finish
