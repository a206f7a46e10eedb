#!/bin/sh
# The README's relay recipe, run as users copy it: docs/relay/nginx-relay.conf relays on
# 127.0.0.1 with only its listening port, its log and each destination's server address moved to
# loopback; every destination it pushes to is an nginx-rtmp server of its own. The application
# streams one channel to the relay with the real Windows encoder, started and stopped by the
# application itself (session_line_tests.exe, through the wrapper that swaps the DirectShow
# inputs for generated sources). Proves: each destination records H.264 + MP3 under the key the
# file gives it, and it plays for the length of the session.
# Usage: relay.sh SESSION_LINE_TESTS.EXE WORKDIR
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
tests_exe="$1"; work="$2"
rm -rf "$work"; mkdir -p "$work"; work=$(realpath "$work")
conf="$root/docs/relay/nginx-relay.conf"
base=${VANDREL_RELAY_PORT:-19600}
fails=0
ok() { echo "ok: $1"; }
fail() { echo "FAIL: $1"; fails=$((fails + 1)); }
. "$root/tests/e2e/rtmp.sh"
servers=""
stop_all() { for p in $servers; do nginx_pid=$p; stop_rtmp; done; servers=""; }
trap stop_all EXIT

# 1. The file with "listen PORT;" on 127.0.0.1:$base, the Nth push's server on $base+N and its
# log here; applications, keys and everything else as written.
mkdir -p "$work/relay"
awk -v base="$base" -v logfile="$work/relay/error.log" '
  /^[ \t]*error_log[ \t]/ { sub(/error_log[ \t]+[^ \t;]+/, "error_log " logfile) }
  /^[ \t]*listen[ \t]+[0-9]+;/ { sub(/[0-9]+;/, "127.0.0.1:" base ";") }
  /^[ \t]*push[ \t]+rtmp:\/\// { n++; sub(/rtmp:\/\/[^\/]*/, "rtmp://127.0.0.1:" base + n) }
  { print }' "$conf" > "$work/relay.conf"
diff "$conf" "$work/relay.conf"
grep -q "listen 127.0.0.1:$base;" "$work/relay.conf" || { fail "the file listens on one port"; exit 1; }
# "PORT APP KEY" of each destination.
sed -n 's|^[ \t]*push[ \t]*rtmp://127\.0\.0\.1:\([0-9]*\)/\([^/]*\)/\([^ ;]*\).*|\1 \2 \3|p' "$work/relay.conf" > "$work/pushes.txt"
[ "$(wc -l < "$work/pushes.txt")" -ge 2 ] || { fail "the file pushes to at least two servers"; exit 1; }
app=$(sed -n 's/^[ \t]*application[ \t]*\([^ {]*\).*/\1/p' "$work/relay.conf" | head -1)

# 2. The destinations, then the relay as nginx runs it (in the foreground, its files here).
while read -r port papp key; do
  rtmp_app=$papp start_rtmp "$work/dest-$port" "$port" || exit 1
  servers="$servers $nginx_pid"
done < "$work/pushes.txt"
timeout 120 nginx -p "$work/relay" -e "$work/relay/error.log" -c "$work/relay.conf" \
  -g "daemon off; pid $work/relay/nginx.pid;" </dev/null >/dev/null 2>&1 &
servers="$servers $!"
i=0
until ss -ltn | grep -q "127.0.0.1:$base "; do
  i=$((i + 1)); [ $i -gt 100 ] && { cat "$work/relay/error.log"; fail "the relay listens on $base"; exit 1; }; sleep 0.1
done

# 3. An 8-second session of the application to the relay, ended by Stop. The real encoder is
# where scripts/setup.sh puts it, unless VANDREL_REAL_ENCODER names another.
encoder=${VANDREL_REAL_ENCODER:-Z:/opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe}
VANDREL_REAL_ENCODER="$encoder" VANDREL_E2E_RELAY_URL="rtmp://127.0.0.1:$base/$app" \
  timeout 120 sh "$root/cmake/wine-emu.sh" "$tests_exe" --gtest_filter='*Relay*' >"$work/session.log" 2>&1 </dev/null &&
  grep -q '^\[  PASSED  \] 1 test' "$work/session.log" || { cat "$work/session.log"; fail "the session to the relay"; }
sleep 1  # the relay ends its pushes, the destinations close their recordings
stop_all

# 4. What each destination recorded: both streams, decoded to the end without an error.
while read -r port papp key; do
  f="$work/dest-$port/rec/$key.flv"
  c=$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$f" 2>/dev/null </dev/null | sort | tr '\n' ' ')
  t=""
  ffmpeg -v error -xerror -i "$f" -f null - </dev/null >/dev/null 2>"$f.decode" && [ ! -s "$f.decode" ] &&
    t=$(ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 "$f" </dev/null | tail -1)
  if [ "$c" = "h264 mp3 " ] && [ -n "$t" ] && awk -v t="$t" 'BEGIN { exit !(t >= 5) }'; then
    ok "destination $port/$papp, key $key: H.264 + MP3, plays to ${t}s"
  else
    fail "destination $port/$papp, key $key: codecs '$c', plays to '${t}s' (want H.264 + MP3, at least 5s)"
  fi
done < "$work/pushes.txt"

echo "$fails failed"
exit $((fails > 0))
