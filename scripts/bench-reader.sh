#!/bin/sh
# What reading the encoder's report costs: two sessions of the application, each streaming to two
# channels on nginx-rtmp (127.0.0.1) with the real Windows encoder behind the test wrapper, one
# with the report reader on and one with it off ([Device] EncoderReport=0). Prints the
# application's own CPU and the encoder's speed for each. Figures, not a test.
set -e
. "$(dirname "$0")/lib.sh"
build_tree win64 --target vandrel encoder_wrapper bench_probe >/dev/null
bin="$build/win64"; work="$build/bench-reader"; seconds=${BENCH_READER_SECONDS:-180}; port=19562
rm -rf "$work"; mkdir -p "$work/app/Quillane/Vandrel" "$work/run/encoder"
winpath() { echo "Z:$1" | tr / '\\'; }
cp "$bin/encoder_wrapper.exe" "$work/run/ffmpeg.exe"
real=/opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe
ln "$real" "$work/run/encoder/ffmpeg.exe" 2>/dev/null || cp "$real" "$work/run/encoder/ffmpeg.exe"
# The screen-capture filter and the sound device the settings name, which a Start checks (a test
# program run before removes both with its own fixtures).
"$WINE" reg add 'HKCR\CLSID\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\Instance\{7E570000-0000-0000-0000-0000000F1173}' \
  /v FriendlyName /d screen-capture-recorder /f >/dev/null 2>&1
"$WINE" reg add 'HKCR\CLSID\{33D9A762-90C8-11D0-BD43-00A0C911CE86}\Instance\{7E570000-0000-0000-0000-0000000D0001}' \
  /v FriendlyName /d Microphone /f >/dev/null 2>&1
# nginx-rtmp for both sessions (tests/e2e/rtmp.sh gives its server two minutes, too few here).
mkdir -p "$work/rtmp"
printf '%s\n' "load_module /usr/lib/nginx/modules/ngx_rtmp_module.so;" \
  "daemon off; master_process off; worker_processes 1; pid $work/rtmp/nginx.pid; error_log $work/rtmp/error.log info;" \
  "events { worker_connections 128; }" "rtmp { server { listen 127.0.0.1:$port; application live { live on; } } }" \
  > "$work/rtmp/nginx.conf"
timeout $((seconds * 2 + 300)) nginx -p "$work/rtmp" -e "$work/rtmp/error.log" -c "$work/rtmp/nginx.conf" </dev/null >/dev/null 2>&1 &
nginx_pid=$!
trap 'kill $nginx_pid 2>/dev/null || true' EXIT
i=0; until ss -ltn | grep -q "127.0.0.1:$port "; do i=$((i + 1)); [ $i -gt 100 ] && { echo "bench-reader: nginx does not listen" >&2; exit 1; }; sleep 0.1; done
# The speed of a report's last progress line: the encoder's pace over the whole session.
speed_of() { tr '\r' '\n' < "$1" 2>/dev/null | sed -n 's/.*speed= *\([0-9.]*\)x.*/\1/p' | tail -1; }

for reader in 1 0; do
  printf '%s\r\n' "[Device]" "AudioDevice=Microphone" "DisableVideo=1" "DemoMode=1" "EncoderReport=$reader" \
    "[Alpha]" "Rtmpurl=rtmp://127.0.0.1:$port/live" "Key=bench_alpha_key" \
    "[Beta]" "Rtmpurl=rtmp://127.0.0.1:$port/live" "Key=bench_beta_key" > "$work/app/Quillane/Vandrel/settings.ini"
  printf '%s\r\n' "[Server]" "Channel1=Alpha" "Channel2=Beta" > "$work/app/Quillane/Vandrel/LocalSettings.ini"
  rm -rf "$work/app/Quillane/Vandrel/Reports" "$work/own.log"
  # With the reader off the encoder inherits this report setting from the application, so its
  # speed can be read all the same; with the reader on the application's own takes its place.
  # A start that times out on a busy machine prints nothing: it gets one more try.
  for try in 1 2; do
  BENCH_APPDATA=$(winpath "$work/app") FFREPORT="file=Z\\:$work/own.log:level=32" \
    on_xvfb sh -c '
      cd "$0/run"
      sh "$1/cmake/wine-emu.sh" "$2/bench_probe.exe" session "$(echo "Z:$2/vandrel.exe" | tr / "\\\\")" "$3"
      '"$WINESERVER"' -k 2>/dev/null' "$work" "$root" "$bin" "$seconds" > "$work/session-$reader.txt" 2>"$work/session-$reader.err" || true
  grep -q cpu_ms "$work/session-$reader.txt" && break
  done
  if [ "$reader" = 1 ]; then report=$(ls "$work/app/Quillane/Vandrel/Reports/"*.log 2>/dev/null | tail -1); else report="$work/own.log"; fi
  echo "speed=$(speed_of "$report")" >> "$work/session-$reader.txt"
done

field() { tr ' ' '\n' < "$work/session-$2.txt" | sed -n "s/^$1=//p" | head -1; }
for reader in 1 0; do
  cpu=$(field cpu_ms $reader); wall=$(field session_ms $reader); speed=$(field speed $reader)
  if [ "$reader" = 1 ]; then what="reader on "; else what="reader off"; fi
  echo "$what: application CPU $(awk -v a="${cpu:-0}" -v b="${wall:-1}" 'BEGIN { printf "%.3f", 100 * a / b }')% of one core (${cpu:-?} ms over ${wall:-?} ms; goal < 0.5%), encoder speed ${speed:-?}x"
done
exit 0
