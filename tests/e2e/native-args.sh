#!/bin/sh
# The application's encoder line for Debian's ffmpeg: each DirectShow input becomes a generated
# source of the same shape (screen video at the line's frame rate; the overlay camera; a sound
# device; screen video with sound), Wine's Z: drive becomes /, and the line is split as the
# encoder's runtime splits it, one argument a line, without the program name.
# "-framerate" belongs to the DirectShow input and goes with it. Usage: native-args.sh LINE_FILE
set -e
rate=$(sed -n 's/^ffmpeg -framerate \([0-9]*\) .*/\1/p' "$1")
sed -e 's/^ffmpeg -framerate [0-9]* /ffmpeg /' \
    -e "s/-f dshow -i video=\"[^\"]*\":audio=\"[^\"]*\"/-f lavfi -i testsrc2=size=1280x800:rate=$rate[out0];sine=frequency=440:sample_rate=44100[out1]/" \
    -e "s/-f dshow -i video=\"[^\"]*\"/-f lavfi -i testsrc2=size=1280x800:rate=$rate/" \
    -e 's/-f dshow -i video="[^"]*"/-f lavfi -i testsrc=size=640x480:rate=30/' \
    -e 's/-f dshow -i audio="[^"]*"/-f lavfi -i sine=frequency=880:sample_rate=44100/' \
    -e 's|Z:/|/|g' "$1" |
# The application's values never hold a quote, so quotes only group.
awk '{ arg = ""; q = 0; have = 0
       for (i = 1; i <= length($0); i++) { c = substr($0, i, 1)
         if (c == "\"") { q = !q; have = 1 }
         else if (c == " " && !q) { if (have) print arg; arg = ""; have = 0 }
         else { arg = arg c; have = 1 } }
       if (have) print arg }' | tail -n +2
