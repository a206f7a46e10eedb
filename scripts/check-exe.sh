#!/bin/sh
# Checks a built vandrel.exe from the file alone: a GUI PE of the expected machine that imports
# nothing but Windows' own DLLs (and none of those it loads on first use), carries the version,
# and can call every function it imports.
# Usage: check-exe.sh EXE [i686|x86-64]   (i686, the shipped build, by default)
set -e
exe="$1"; arch="${2:-i686}"
case "$arch" in
  i686) format=pei-i386; tools=i686-w64-mingw32 ;;
  x86-64) format=pei-x86-64; tools=x86_64-w64-mingw32 ;;
  *) echo "check-exe: unknown machine $arch"; exit 2 ;;
esac
"$tools-objdump" -f "$exe" | grep -q "file format $format\$" || { echo "$exe: not an $arch PE"; exit 1; }
dlls=$("$tools-objdump" -p "$exe" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for d in $dlls; do
  case "$d" in
    # Loaded on first use (app/FirstUseImports.cpp): a descriptor would load it before the window.
    shell32.dll|comdlg32.dll|ole32.dll|oleaut32.dll|version.dll)
      echo "$exe imports $d at start-up; bind its functions on first use (app/FirstUseImports.cpp)"; exit 1 ;;
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|ole32.dll|oleaut32.dll|advapi32.dll|msvcrt.dll|version.dll|api-ms-win-*) ;;
    *) echo "$exe imports $d, which Windows does not ship"; exit 1 ;;
  esac
done
strings -el "$exe" | grep -qx '1.38.0.0' || { echo "$exe: no version 1.38.0.0"; exit 1; }

# Every import slot (__imp_NAME, which the code calls through) must be bound: inside the address
# table of an import descriptor, which the loader fills, or holding the address of code, the
# first-use thunk that binds it. A slot that holds anything else sends its call astray on every
# Windows, whatever the loader.
slots=$("$tools-nm" "$exe" | python3 -c '
import struct, sys
exe = sys.argv[1]
data = open(exe, "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
nsec = struct.unpack_from("<H", data, pe + 6)[0]
optsize = struct.unpack_from("<H", data, pe + 20)[0]
opt = pe + 24
wide = struct.unpack_from("<H", data, opt)[0] == 0x20B
base = struct.unpack_from("<Q", data, opt + 24)[0] if wide else struct.unpack_from("<I", data, opt + 28)[0]
dirs = opt + (112 if wide else 96)
sections = [struct.unpack_from("<8xIIII12xI", data, opt + optsize + 40 * i) for i in range(nsec)]
ptr = 8 if wide else 4

def offset(rva):
    for vsize, addr, rsize, raw, flags in sections:
        if addr <= rva < addr + min(vsize or rsize, rsize):
            return raw + rva - addr
    return None

def read(rva):
    at = offset(rva)
    return None if at is None else struct.unpack_from("<Q" if wide else "<I", data, at)[0]

def code(va):
    rva = va - base
    return any(addr <= rva < addr + vsize and flags & 0x20000000 for vsize, addr, rsize, raw, flags in sections)

# The address tables (FirstThunk) of the import descriptors, up to the all-zero descriptor.
bound = set()
rva, length = struct.unpack_from("<II", data, dirs + 8)
while length and offset(rva) is not None and any(data[offset(rva):offset(rva) + 20]):
    iat = struct.unpack_from("<I", data, offset(rva) + 16)[0]
    while read(iat):
        bound.add(iat)
        iat += ptr
    rva += 20
names = {}
for line in sys.stdin:
    f = line.split()
    if len(f) == 3 and f[2].startswith("__imp_"):
        names[int(f[0], 16) - base] = f[2]
if not names:
    sys.exit(exe + ": no symbol table, so its import slots cannot be checked")
unbound = sorted((n, read(rva)) for rva, n in names.items() if rva not in bound and not code(read(rva) or 0))
for n, value in unbound:
    print("%s: import slot %s is bound by nothing (it holds %s)" % (exe, n, hex(value or 0)))
if unbound:
    sys.exit(1)
later = sum(1 for rva in names if rva not in bound)
print("%d import slots bound by the loader, %d point at code in the image" % (len(names) - later, later))
' "$exe") || { echo "$slots"; echo "$exe: a call through an unbound import slot jumps to address 0"; exit 1; }
echo "$exe: $arch PE, $(stat -c %s "$exe") bytes, imports: $(echo $dlls); $slots"
