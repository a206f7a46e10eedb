#!/bin/sh
# The program users download, used once as they would: the x86 installer, silently, into a fresh
# 32-bit Wine prefix on the current display; the installed i686 vandrel.exe started; its tray icon
# shown by the shell and its double click answered; Save As opened and cancelled; Media Settings
# (the device walk) and About (the version) opened and closed; a session with the stand-in encoder
# started and stopped; Exit. Nothing may crash, and the program must end by Exit with code 0.
# Usage: shipped-test.sh SETUP.EXE VANDREL.EXE FAKE_ENCODER.EXE POST_COMMAND.EXE WORKDIR
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
WINE=/usr/lib/wine/wine; WINESERVER=/usr/lib/wine/wineserver
export WINELOADER="$WINE" WINEARCH=win32
setup=$(realpath "$1"); exe=$(realpath "$2"); fake=$(realpath "$3"); post=$(realpath "$4"); work="$5"
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
export WINEPREFIX="$work/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
log="$work/wine.log"
fails=0
check() {  # check WHAT COMMAND...
  what="$1"; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAIL: $what"; fails=$((fails + 1)); fi
}
post() { "$WINE" "$post" "$@" </dev/null >>"$log" 2>&1; }
shown() { timeout 20 xdotool search --sync --onlyvisible --name "^$1\$"; }
gone() {  # gone CAPTION: no window of that caption is shown within 10 s
  i=0; while xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; do
    i=$((i + 1)); [ $i -gt 40 ] && return 1; sleep 0.25; done
}
waitfor() {  # waitfor SECONDS COMMAND...: until the command succeeds
  n=$(($1 * 4)); shift
  while ! "$@" >/dev/null 2>&1; do n=$((n - 1)); [ $n -le 0 ] && return 1; sleep 0.25; done
}
# The shell's icon: Wine docks it in the window manager's tray as an X window of explorer.exe.
trayicon() {
  for w in $(xdotool search --class explorer.exe 2>/dev/null); do
    xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '=' && xwininfo -id "$w" | grep -q IsViewable && { echo "$w"; return 0; }
  done
  return 1
}
finish() { "$WINESERVER" -k >/dev/null 2>&1; echo "$fails failed"; exit $((fails > 0)); }

"$WINE" wineboot -i </dev/null >>"$log" 2>&1; "$WINESERVER" -w
# A crash must end the program, not wait on a debugger's dialog.
"$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >>"$log" 2>&1
profile="$WINEPREFIX/drive_c/users/$(id -un)"
dir="$profile/AppData/Local/Programs/Vandrel"
settings="$profile/AppData/Roaming/Quillane/Vandrel"

timeout 120 "$WINE" "$setup" /S </dev/null >>"$log" 2>&1
check "the x86 installer put the shipped exe in place" cmp "$dir/vandrel.exe" "$exe"
[ -f "$dir/vandrel.exe" ] || finish
cp "$fake" "$dir/ffmpeg.exe"
# A user who has a server and a channel chosen, the built-in screen capture and no sound.
mkdir -p "$settings"
printf '[Device]\r\nDemoMode=1\r\nRecMode=Desktop (built-in)\r\nMuteAudio=1\r\nDisableVideo=1\r\nAudioDevice=Microphone\r\n[Local]\r\n[Twitch]\r\nRtmpurl=rtmp://127.0.0.1:1/app\r\nKey=live_1\r\n' > "$settings/settings.ini"
printf '[Server]\r\nChannel1=Twitch\r\n' > "$settings/LocalSettings.ini"

(cd "$dir" && "$WINE" vandrel.exe </dev/null >"$work/vandrel.out" 2>&1; echo $? >"$work/vandrel.rc") &
check "main window shown" shown 'Quillane Vandrel'
check "tray icon added" waitfor 20 trayicon
# The icon's double click, through the shell, shows the closed main window again.
post 1059
check "main window closed to the tray" gone 'Quillane Vandrel'
icon=$(trayicon)
if [ -n "$icon" ]; then xdotool mousemove --window "$icon" 8 8 click --repeat 2 --delay 80 1; fi
check "double click on the tray icon shows the main window" shown 'Quillane Vandrel'
sleep 1; import -window root "$work/started.png" 2>/dev/null

post 1150
check "Save As opened" shown 'Save As'
post 2 0 'Save As'
check "Save As cancelled" gone 'Save As'
post 1102
check "Media Settings opened" shown 'Vandrel Settings'
import -window root "$work/media.png" 2>/dev/null
post 1075 0 'Vandrel Settings'
check "Media Settings closed" gone 'Vandrel Settings'
post 32780
check "About opened" shown 'About Vandrel'
import -window root "$work/about.png" 2>/dev/null
post 1 0 'About Vandrel'
check "About closed" gone 'About Vandrel'

post 1027
check "Start launched the stand-in encoder" waitfor 20 test -s "$dir/fake_encoder.log"
check "the window hid for the session" gone 'Quillane Vandrel'
post 32772
check "tray Stop ended the encoder by its quit key" waitfor 20 grep -qx q "$dir/fake_encoder.end"

post 32775
check "Exit asked" shown 'Vandrel'
post 6 0 'Vandrel'
check "the program ended" waitfor 20 test -s "$work/vandrel.rc"
check "it ended by Exit, with code 0" grep -qx 0 "$work/vandrel.rc"
check "nothing crashed" sh -c '! grep -E "page fault|Unhandled exception|Unhandled|wine: " "$1"' - "$work/vandrel.out"
[ "$fails" -gt 0 ] && sed -n '/page fault\|Unhandled/p' "$work/vandrel.out" | head -5
finish
