#!/bin/sh
# Checks the shipped exe: a 32-bit GUI PE that imports nothing but Windows' own DLLs.
set -e
exe="$1"
objdump -f "$exe" | grep -q 'file format pei-i386' || { echo "$exe: not an i686 PE"; exit 1; }
dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for d in $dlls; do
  case "$d" in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|ole32.dll|oleaut32.dll|advapi32.dll|msvcrt.dll|version.dll|api-ms-win-*) ;;
    *) echo "$exe imports $d, which Windows does not ship"; exit 1 ;;
  esac
done
strings -el "$exe" | grep -qx '1.38.0.0' || { echo "$exe: no version 1.38.0.0"; exit 1; }
echo "$exe: i686 PE, $(stat -c %s "$exe") bytes, imports: $(echo $dlls)"
