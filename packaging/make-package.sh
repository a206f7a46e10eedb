#!/bin/sh
# Builds the NSIS installer and the portable zip around one vandrel.exe.
# Usage: make-package.sh EXE ICON OUTDIR [x86|amd64]
set -e
here=$(cd "$(dirname "$0")" && pwd)
exe=$(realpath "$1"); icon=$(realpath "$2"); out="$3"; arch="${4:-x86}"
version=1.38.0.0
suffix=""; [ "$arch" = amd64 ] && suffix="-x64"
mkdir -p "$out"; out=$(realpath "$out")
setup="$out/Vandrel-$version$suffix-setup.exe"
zip="$out/Vandrel-$version$suffix-portable.zip"
makensis -V2 -DARCH="$arch" -DEXE="$exe" -DICON="$icon" -DOUTFILE="$setup" "$here/vandrel.nsi"
stage=$(mktemp -d); trap 'rm -rf "$stage"' EXIT
mkdir "$stage/Vandrel"
cp "$exe" "$stage/Vandrel/vandrel.exe"
sed 's/$/\r/' "$here/readme.txt" > "$stage/Vandrel/readme.txt"
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" Vandrel)
echo "$setup"
echo "$zip"
