#!/bin/sh
# Builds and runs every test: natively (sanitizers on), then the Windows trees under Wine on Xvfb.
# The i686 tree builds vandrel.exe as shipped; its Windows tests run from the x86_64 tree (see docs/testing.md).
set -e
. "$(dirname "$0")/lib.sh"
jobs=$(nproc)

build_tree native
build_tree win32 --target vandrel fake_encoder post_command
build_tree win64
sh "$root/scripts/check-exe.sh" "$build/win32/vandrel.exe" i686
sh "$root/scripts/check-exe.sh" "$build/win64/vandrel.exe" x86-64
# The shipped installer and zip, from the i686 exe (their x86-64 twin is installed under Wine below).
setup32=$(sh "$root/packaging/make-package.sh" "$build/win32/vandrel.exe" "$build/win32/resources/app.ico" "$build/package" x86 | head -1)

echo "== native tests"
status=0
(cd "$build/native" && ctest --output-on-failure -j "$jobs") | tee "$build/native.log" || status=1
echo "== Windows tests under Wine"
on_xvfb sh -c '
  cd "$0" && ctest --output-on-failure --timeout 120; r=$?
  '"$WINESERVER"' -k 2>/dev/null; exit $r' "$build/win64" | tee "$build/wine.log" || status=1
# The shipped program itself, installed and used once, where this machine runs 32-bit programs.
echo "== the shipped i686 program under 32-bit Wine"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  on_xvfb sh "$root/tests/package/shipped-test.sh" "$setup32" \
    "$build/win32/vandrel.exe" "$build/win32/fake_encoder.exe" "$build/win32/post_command.exe" \
    "$build/shipped" | tee "$build/shipped.log"
  shipped=$(grep -c '^ok: ' "$build/shipped.log" || true)
  shipped_failed=$(grep -c '^FAIL: ' "$build/shipped.log" || true)
  # Every check printed, or the script stopped early.
  grep -q '^0 failed$' "$build/shipped.log" || { [ "$shipped_failed" -gt 0 ] || shipped_failed=1; status=1; }
  shipped_line="shipped i686 program: $shipped passed, $shipped_failed failed"
else
  shipped_line="shipped i686 program: not run: this machine runs no 32-bit programs"
  shipped=0 shipped_failed=0
fi

count() { sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' "$1" | tail -1; }
set -- $(count "$build/native.log") $(count "$build/wine.log")
[ $# -eq 4 ] || { echo "a test run ended without its summary"; exit 1; }
echo "native: $(($1 - $2)) passed, $2 failed; Wine: $(($3 - $4)) passed, $4 failed"
echo "$shipped_line"
echo "$(($1 - $2 + $3 - $4 + shipped)) passed, $(($2 + $4 + shipped_failed)) failed"
# A pipe's status is tee's: the counts are what fail the run.
[ "$2" -eq 0 ] && [ "$4" -eq 0 ] || status=1
exit $status
