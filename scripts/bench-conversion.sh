#!/bin/sh
# What saving a recording costs: a 1 GB recording as the session leaves it (FLV under an ".mp4"
# name) turned into a real MP4 by the real Windows encoder with the application's own line,
# against copying the same file on the same disk. Prints both times and the ratio. Figures, not a test.
set -e
. "$(dirname "$0")/lib.sh"
work="$build/bench-conversion"; mb=${BENCH_CONVERSION_MB:-1024}
rm -rf "$work"; mkdir -p "$work"; cd "$work"
# Ten seconds at a high rate, looped by stream copy up to the size: the set-up encodes little.
ffmpeg -v error -f lavfi -i testsrc2=size=1280x720:rate=30 -f lavfi -i sine=frequency=440:sample_rate=44100 -t 10 \
  -c:v libx264 -preset ultrafast -b:v 40M -c:a libmp3lame -f flv piece.flv </dev/null
loops=$(( mb * 1048576 / $(stat -c %s piece.flv) ))
ffmpeg -v error -stream_loop "$loops" -i piece.flv -c copy -f flv rec.mp4 </dev/null
rm piece.flv; sync
ms() { date +%s%3N; }
# Wine started beforehand: its start-up is no part of a conversion on Windows.
"$WINE" /opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe -version </dev/null >/dev/null 2>&1
t0=$(ms); cp rec.mp4 copy.mp4; sync; t1=$(ms); rm copy.mp4; sync
"$WINE" /opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe -nostdin -loglevel error -i rec.mp4 -map 0 -c copy \
  -movflags +faststart -f mp4 -y rec.mp4.saving </dev/null >/dev/null 2>&1; sync; t2=$(ms)
"$WINESERVER" -k 2>/dev/null || true
size=$(( $(stat -c %s rec.mp4) / 1048576 ))
format=$(ffprobe -v error -show_entries format=format_name -of default=nw=1:nk=1 rec.mp4.saving)
rm -f rec.mp4 rec.mp4.saving
echo "saving:   $(awk -v a=$((t2 - t1)) -v b=$((t1 - t0)) 'BEGIN { printf "%.2f", a / b }')x  (a $size MB recording made a real MP4 ($format) in $((t2 - t1)) ms against $((t1 - t0)) ms to copy it; goal <= 3x)"
