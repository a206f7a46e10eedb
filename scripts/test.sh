#!/bin/sh
# Builds and runs every test: natively (sanitizers on), then the Windows trees under Wine on Xvfb.
# The i686 tree builds vandrel.exe as shipped; its Windows tests run from the x86_64 tree (see docs/testing.md).
set -e
. "$(dirname "$0")/lib.sh"
jobs=$(nproc)

build_tree native
build_tree win32 --target vandrel
build_tree win64
sh "$root/scripts/check-exe.sh" "$build/win32/vandrel.exe"
# The shipped installer and zip, from the i686 exe (their x86-64 twin is installed under Wine below).
sh "$root/packaging/make-package.sh" "$build/win32/vandrel.exe" "$build/win32/resources/app.ico" "$build/package" x86

echo "== native tests"
status=0
(cd "$build/native" && ctest --output-on-failure -j "$jobs") | tee "$build/native.log" || status=1
echo "== Windows tests under Wine"
on_xvfb sh -c '
  cd "$0" && ctest --output-on-failure --timeout 120; r=$?
  '"$WINESERVER"' -k 2>/dev/null; exit $r' "$build/win64" | tee "$build/wine.log" || status=1

count() { sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$1" | tail -1; }
set -- $(count "$build/native.log") $(count "$build/wine.log")
[ $# -eq 4 ] || { echo "a test run ended without its summary"; exit 1; }
echo "native: $(($1 - $2)) passed, $2 failed; Wine: $(($3 - $4)) passed, $4 failed"
echo "$(($1 - $2 + $3 - $4)) passed, $(($2 + $4)) failed"
# A pipe's status is tee's: the counts are what fail the run.
[ "$2" -eq 0 ] && [ "$4" -eq 0 ] || status=1
exit $status
