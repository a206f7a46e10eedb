#!/bin/sh
# Builds the shipped i686 vandrel.exe, then its installer and portable zip in build/package.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"
sh "$root/scripts/setup.sh"
cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win32" -j "$(nproc)" --target vandrel
sh "$root/scripts/check-exe.sh" "$build/win32/vandrel.exe"
sh "$root/packaging/make-package.sh" "$build/win32/vandrel.exe" "$build/win32/resources/app.ico" "$build/package" x86
