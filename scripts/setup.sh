#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine; quick when all is there.
set -euo pipefail

source "$(dirname "$0")/arch.sh"
need=()
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-i686)
if [ "$PINDREL_ARCH" = x86_64 ]; then
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64)
fi
command -v cmake >/dev/null || need+=(cmake)
command -v make >/dev/null || need+=(make)
command -v wine >/dev/null || need+=(wine wine64)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v Xvfb >/dev/null || need+=(xvfb xauth)
command -v xdotool >/dev/null || need+=(xdotool)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# By the package: another program may be called convert.
dpkg -s imagemagick >/dev/null 2>&1 || need+=(imagemagick)
command -v xwd >/dev/null || need+=(x11-apps)
[ -x /usr/bin/python3 ] || need+=(python3)  # the local HTTP server of the download tests

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
