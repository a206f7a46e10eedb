#!/bin/sh
# The line the application launches, run by the real encoder (Debian's ffmpeg) against a real
# RTMP server (nginx-rtmp on 127.0.0.1). Each DirectShow input becomes a generated source of
# the same shape; everything else of the line stays. Proves: both channel keys receive H.264
# and MP3; the local file holds both and plays to its end; a hard kill halfway leaves a file
# that plays up to the kill; a dead server for one channel leaves the other and the file running.
# Usage: real-encoder.sh SESSION_LINE_TESTS.EXE WORKDIR
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tests_exe="$1"; work="$2"
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
portA=${VANDREL_E2E_PORT_A:-19351}; portB=${VANDREL_E2E_PORT_B:-19352}
fails=0
ok() { echo "ok: $1"; }
fail() { echo "FAIL: $1"; fails=$((fails + 1)); }
. "$root/tests/e2e/rtmp.sh"
trap 'stop_rtmp; [ -n "${enc:-}" ] && kill -9 "$enc" 2>/dev/null' EXIT

# 1. The lines, from the application with the stand-in encoder: as designed, and with
# "ReconnectChannels" on. 2. Generated sources for the DirectShow inputs, then the arguments as
# the encoder gets them.
for reconnect in 0 1; do
  line="$work/line$reconnect.txt"
  VANDREL_E2E_LINE="Z:$(echo "$line" | tr / '\\')" VANDREL_E2E_RECONNECT=$reconnect \
  VANDREL_E2E_FILE="Z:$(echo "$work/session.mp4" | tr / '\\')" \
  VANDREL_E2E_URL_A="rtmp://127.0.0.1:$portA/live" VANDREL_E2E_URL_B="rtmp://127.0.0.1:$portB/live" \
    timeout 120 sh "$root/cmake/wine-emu.sh" "$tests_exe" >"$work/line-test$reconnect.log" 2>&1 </dev/null
  [ -s "$line" ] || { cat "$work/line-test$reconnect.log"; fail "the application launched its line"; exit 1; }
  echo "launched: $(cat "$line")"
  sh "$root/tests/e2e/native-args.sh" "$line" > "$work/args$reconnect.txt"
  grep -q dshow "$work/args$reconnect.txt" && fail "every DirectShow input replaced"
done
cp "$work/args0.txt" "$work/args.txt"

# Runs the line for $1 seconds, then ends it by Ctrl+C as the application does, or by "kill".
run() {
  set --  "$1" "${2:-int}"
  secs=$1; how=$2
  set --
  while IFS= read -r a; do set -- "$@" "$a"; done < "$work/args.txt"
  rm -f "$work/session.mp4"
  ffmpeg "$@" </dev/null >"$work/ffmpeg.log" 2>&1 &
  enc=$!
  sleep "$secs"
  if [ "$how" = kill ]; then kill -9 "$enc"; else kill -INT "$enc"; fi
  i=0; while kill -0 "$enc" 2>/dev/null; do i=$((i + 1)); [ $i -gt 100 ] && kill -9 "$enc"; sleep 0.1; done
  wait "$enc" 2>/dev/null; enc=""
  sleep 1  # the server closes its recordings
}
codecs() { ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$1" 2>/dev/null | sort | tr '\n' ' '; }
# The time of the last video packet, after a full decode without errors; nothing if it fails.
# A killed encoder leaves its last packet cut short: "cut" forgives that one, and only that.
played() {
  if [ "${2:-}" = cut ]; then
    ffmpeg -v error -i "$1" -f null - >/dev/null 2>"$1.decode" || return 0
    [ "$(grep -c 'Error while decoding' "$1.decode")" -le 1 ] || return 0
  else
    ffmpeg -v error -xerror -i "$1" -f null - >/dev/null 2>"$1.decode" && [ ! -s "$1.decode" ] || return 0
  fi
  ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 "$1" | tail -1
}
at_least() { [ -n "$1" ] && awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
expect_stream() {  # WHAT FILE MIN_SECONDS [cut]
  c=$(codecs "$2"); t=$(played "$2" "${4:-}")
  if [ "$c" = "h264 mp3 " ] && at_least "$t" "$3"; then ok "$1: H.264 + MP3, plays to ${t}s"
  else fail "$1: codecs '$c', plays to '${t}s' (want H.264 + MP3 and at least ${3}s)"; fi
}

# 3. Both servers up, a whole session.
start_rtmp "$work/both" "$portA" "$portB" && {
  run 8
  expect_stream "channel key alpha" "$work/both/rec/alpha.flv" 5
  expect_stream "channel key beta" "$work/both/rec/beta.flv" 5
  expect_stream "local file" "$work/session.mp4" 5
  stop_rtmp; }

# 4. The encoder killed hard halfway: the file still plays up to the kill, less what was still
# in the encoder (its delay and the file's 256 KB write buffer, about 3.5 s here).
start_rtmp "$work/killed" "$portA" "$portB" && {
  run 7 kill
  expect_stream "local file after a hard kill at 7 s" "$work/session.mp4" 2.5 cut
  stop_rtmp; }

# 5. No server for channel B: channel A and the file run the whole session.
start_rtmp "$work/dead" "$portA" && {
  run 8
  expect_stream "channel key alpha beside a dead server" "$work/dead/rec/alpha.flv" 5
  expect_stream "local file beside a dead server" "$work/session.mp4" 5
  [ -e "$work/dead/rec/beta.flv" ] && fail "nothing received for the dead server's key"
  stop_rtmp; }

# 6. Channel A's server stops 4 s into a session and comes back 3 s later. With reconnect on,
# the channel publishes again to the new server; channel B and the file never stop. With it off
# (the design) the channel stays gone, so the check can fail.
outage() {  # ARGS DIR
  rm -f "$work/session.mp4"
  set --  "$1" "$2"; args=$1; top=$2; set --
  while IFS= read -r a; do set -- "$@" "$a"; done < "$args"
  start_rtmp "$top/b" "$portB" || return 1; pidB=$nginx_pid
  start_rtmp "$top/a1" "$portA" || return 1
  ffmpeg "$@" </dev/null >"$top/ffmpeg.log" 2>&1 &
  enc=$!
  sleep 4; stop_rtmp
  sleep 3; start_rtmp "$top/a2" "$portA" || return 1; pidA=$nginx_pid
  sleep 9; kill -INT "$enc"
  i=0; while kill -0 "$enc" 2>/dev/null; do i=$((i + 1)); [ $i -gt 100 ] && kill -9 "$enc"; sleep 0.1; done
  wait "$enc" 2>/dev/null; enc=""
  sleep 1
  stop_rtmp; nginx_pid=$pidB; stop_rtmp
}
# The session ends 9 s after the restart: whatever the new server holds came back within that.
outage "$work/args1.txt" "$work/reconnect" && {
  expect_stream "reconnect on: channel A publishes again after its server came back" "$work/reconnect/a2/rec/alpha.flv" 2
  expect_stream "reconnect on: channel B beside the outage" "$work/reconnect/b/rec/beta.flv" 13
  expect_stream "reconnect on: local file over the whole session" "$work/session.mp4" 13; }
outage "$work/args0.txt" "$work/no-reconnect" && {
  [ -e "$work/no-reconnect/a2/rec/alpha.flv" ] && fail "reconnect off: the dropped channel stays gone" ||
    ok "reconnect off: the dropped channel stays gone"
  expect_stream "reconnect off: channel B beside the outage" "$work/no-reconnect/b/rec/beta.flv" 13; }

echo "$fails failed"
exit $((fails > 0))
