#!/bin/sh
# Builds vandrel.exe, prepares settings and, under Wine on Xvfb, shows each window in both looks
# and saves it as docs/screenshots/<window>-<look>.png. Rerun it whenever a window changes.
set -e
. "$(dirname "$0")/lib.sh"
JOBS=2 build_tree win64 --target vandrel post_command encoder_wrapper
encoders="$build/screenshots-encoder"
mkdir -p "$encoders/encoder"
cp "$build/win64/encoder_wrapper.exe" "$encoders/ffmpeg.exe"
cp /opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe "$encoders/encoder/ffmpeg.exe"
out="$root/docs/screenshots"
mkdir -p "$out"

# One window a line: file name, what opens it (a control or tray command id of the main window,
# "-" for the main window itself), a control id then clicked in the window that opened
# ("id@Caption_with_underscores", or "-") and the caption of the window to take. A file name
# starting with "screen-" takes the whole screen, to show where the window opened. "media-preview"
# runs from a folder holding the tests' encoder wrapper as ffmpeg.exe, with the real encoder behind
# it: its preview shows the wrapper's test pattern and tone.
cat > "$build/screenshots.table" <<'TABLE'
main     -      -                                 Quillane Vandrel
servers  1100   -                                 Customize Streaming Servers
editor   1100   1046@Customize_Streaming_Servers  Edit Streaming Credentials
media    1102   -                                 Vandrel Settings
media-preview 1102 1188@Vandrel_Settings           Vandrel Settings
help     1138   -                                 Help  ?
about    32780  -                                 About Vandrel
screen-tray-media 1059 32774@Quillane_Vandrel      Vandrel Settings
TABLE

on_xvfb sh -c '
  root=$1 build=$2 out=$3
  xdotool mousemove 1 1  # the pointer would raise tooltips over windows that open centred
  WINE=$4 WINESERVER=$5
  # The prepared settings; APPDATA is a folder of its own, whatever the prefix holds.
  appdata="$build/screenshots-appdata"
  settings="$appdata/Quillane/Vandrel"
  for look in Light Dark; do
    while read -r name command then caption; do
      case "$name" in \#*) continue ;; esac
      rm -rf "$appdata"; mkdir -p "$settings"
      preview=; [ "$name" = media-preview ] && preview=1
      printf "%s\r\n" "[Device]" ${preview:+"MuteAudio=0"} ${preview:+"DisableVideo=0"} ${preview:+"OverlayVideoPos=Top Right"} \
        "AudioDevice=Microphone (USB Audio)" "VideoDevice=USB Camera" "DemoMode=1" \
        "Theme=$look" "[Twitch]" "Rtmpurl=rtmp://live.twitch.tv/app" "Key=live_0123456789" "Port=1935" \
        "[YouTube]" "Rtmpurl=rtmp://a.rtmp.youtube.com/live2" "Key=abcd-efgh-ijkl" "Port=1935" \
        "[Studio]" "Rtmpurl=rtmp://studio.example/live" "Key=studio1" "Port=1935" \
        "[Paths]" "Video Local Folder=C:\\users\\Public\\Videos\\Screen Recording.mp4" > "$settings/settings.ini"
      printf "%s\r\n" "[Server]" "Channel1=Twitch" "Channel2=YouTube" "[Local]" "SaveInLocalPath=1" > "$settings/LocalSettings.ini"
      # Wine sets APPDATA itself for a program started from outside: set it from inside instead.
      winpath() { printf "Z:%s" "$1" | tr / "\\\\"; }
      from=$(winpath "$build/win64")
      if [ "$name" = media-preview ]; then
        # The devices the settings name, as on a machine ready to stream.
        from=$(winpath "$build/screenshots-encoder")
        for device in "860BB310-5D01-11D0-BD3B-00A0C911CE86 F1173 screen-capture-recorder" \
                      "860BB310-5D01-11D0-BD3B-00A0C911CE86 F1174 USB Camera" \
                      "33D9A762-90C8-11D0-BD43-00A0C911CE86 D0002 Microphone (USB Audio)"; do
          set -- $device
          key="HKCR\\CLSID\\{$1}\\Instance\\{7E570000-0000-0000-0000-0000000$2}"; shift 2
          "$WINE" reg add "$key" /v FriendlyName /d "$*" /f >/dev/null 2>&1
        done
      fi
      "$WINE" cmd /c "set APPDATA=$(winpath "$appdata")&& cd /d $from && start \"\" $(winpath "$build/win64/vandrel.exe")" >/dev/null 2>&1
      timeout 60 xdotool search --sync --onlyvisible --name "^Quillane Vandrel\$" >/dev/null
      sleep 2
      if [ "$command" != "-" ]; then "$WINE" "$build/win64/post_command.exe" "$command"; fi
      if [ "$then" != "-" ]; then
        sleep 2
        "$WINE" "$build/win64/post_command.exe" "${then%@*}" 0 "$(printf "%s" "${then#*@}" | tr _ " ")"
      fi
      pattern=$(printf "%s" "$caption" | sed "s/[?]/[?]/g")
      id=$(timeout 30 xdotool search --sync --onlyvisible --name "^$pattern\$" | tail -1)
      sleep 2
      [ "$name" = media-preview ] && sleep 6
      case "$name" in
        screen-*) import -window root "$out/$name-$(echo $look | tr A-Z a-z).png" ;;
        *) import -frame -window "$id" "$out/$name-$(echo $look | tr A-Z a-z).png" ;;
      esac
      echo "saved $out/$name-$(echo $look | tr A-Z a-z).png"
      if [ "$name" = media-preview ]; then
        for k in F1173 F1174; do "$WINE" reg delete "HKCR\\CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\{7E570000-0000-0000-0000-0000000$k}" /f >/dev/null 2>&1; done
        "$WINE" reg delete "HKCR\\CLSID\\{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\Instance\\{7E570000-0000-0000-0000-0000000D0002}" /f >/dev/null 2>&1
      fi
      "$WINESERVER" -k 2>/dev/null || true
    done < "$build/screenshots.table"
  done' sh "$root" "$build" "$out" "$WINE" "$WINESERVER"
