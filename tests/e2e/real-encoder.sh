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

# 1. The line, from the application with the stand-in encoder.
VANDREL_E2E_LINE="Z:$(echo "$work/line.txt" | tr / '\\')" \
VANDREL_E2E_FILE="Z:$(echo "$work/session.mp4" | tr / '\\')" \
VANDREL_E2E_URL_A="rtmp://127.0.0.1:$portA/live" VANDREL_E2E_URL_B="rtmp://127.0.0.1:$portB/live" \
  timeout 120 sh "$root/cmake/wine-emu.sh" "$tests_exe" >"$work/line-test.log" 2>&1 </dev/null
[ -s "$work/line.txt" ] || { cat "$work/line-test.log"; fail "the application launched its line"; exit 1; }
echo "launched: $(cat "$work/line.txt")"

# 2. Generated sources for the DirectShow inputs, then the arguments as the encoder gets them.
sh "$root/tests/e2e/native-args.sh" "$work/line.txt" > "$work/args.txt"
grep -q dshow "$work/args.txt" && fail "every DirectShow input replaced"

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

echo "$fails failed"
exit $((fails > 0))
