#!/bin/sh
# Installs what building and testing Vandrel needs on Debian 12 (run as root); safe to run again.
set -e
need=""
for p in cmake make g++ googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix \
         wine wine64 xvfb xauth xdotool x11-utils imagemagick jwm; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || need="$need $p"
done
if [ -n "$need" ]; then
  # A mirror in mid-sync fails one index now and then: retry, and go on with what was fetched.
  for i in 1 2 3; do apt-get update -q && break; sleep 5; done || true
  for i in 1 2 3; do
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $need && break
    [ "$i" = 3 ] && exit 1; sleep 5; apt-get update -q || true
  done
fi
# Packaging and the real-encoder tests: NSIS, zip, the encoder, an RTMP server (also the relay's)
# ss to see it listen, python3 for the exe check's import table walk, and nginx's stream module
# with openssl for the TLS front of the RTMPS test.
need=""
for p in nsis zip unzip ffmpeg nginx libnginx-mod-rtmp libnginx-mod-stream openssl iproute2 python3; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || need="$need $p"
done
if [ -n "$need" ]; then
  for i in 1 2 3; do
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $need && break
    [ "$i" = 3 ] && exit 1; sleep 5; apt-get update -q || true
  done
  # The packaged nginx service is not wanted: the tests start their own on 127.0.0.1.
  if command -v systemctl >/dev/null 2>&1; then systemctl disable --now nginx >/dev/null 2>&1 || true; fi
fi
# 32-bit Wine, to run the shipped i686 exe itself where the machine runs 32-bit programs. Not all
# do (IA32 emulation off): then the test says so instead, and nothing here fails.
if ! dpkg-query -W -f='${Status}\n' wine32:i386 2>/dev/null | grep -q '^install ok installed' &&
   [ "$(dpkg --print-architecture)" = amd64 ]; then
  dpkg --add-architecture i386
  for i in 1 2 3; do apt-get update -q && break; sleep 5; done || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends wine32:i386 ||
    echo "setup: 32-bit Wine could not be installed; the shipped exe is checked from the file only"
fi
# A Wine prefix without the Mono/Gecko installer prompts. Wine runs 64-bit: see docs/testing.md.
. "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  "$WINESERVER" -w || true
fi
# No sound devices here: keep Wine's ALSA probing quiet.
"$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "" /f >/dev/null 2>&1 || true
"$WINESERVER" -w || true
# The real Windows encoder for the Windows tests (ffmpeg 4.1, x86-64), from the npm registry's
# @ffmpeg-installer/win32-x64 package: packed and unpacked, nothing else fetched.
encoder=/opt/vandrel/ffmpeg-win32-x64/ffmpeg.exe
if [ ! -f "$encoder" ]; then
  if ! command -v npm >/dev/null 2>&1; then
    for i in 1 2 3; do
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends npm && break
      [ "$i" = 3 ] && exit 1; sleep 5; apt-get update -q || true
    done
  fi
  unpack=$(mktemp -d)
  (cd "$unpack" && npm pack --silent @ffmpeg-installer/win32-x64@4.1.0 >/dev/null &&
     tar xzf ffmpeg-installer-win32-x64-4.1.0.tgz package/ffmpeg.exe)
  mkdir -p "$(dirname "$encoder")"
  mv "$unpack/package/ffmpeg.exe" "$encoder"
  rm -rf "$unpack"
fi
