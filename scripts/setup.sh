#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine (quick when all is there), and
# chooses the build: 32-bit where the machine runs 32-bit code and a 32-bit Wine runs or wine32
# can be had, 64-bit otherwise. The choice goes to <build>/pindrel-arch for the other scripts.
# test.sh and run.sh call it with --keep-choice: a wine32 that could not be installed before is
# not asked for again (which costs an index update each time); run by hand, it tries again.
set -euo pipefail
by_hand="${PINDREL_ARCH:-}"
keep_choice=""
[ "${1:-}" = --keep-choice ] && keep_choice=1
PINDREL_ARCH=x86_64 # arch.sh's own guess is not wanted here: the choice is made below
source "$(dirname "$0")/arch.sh"

if [ -n "$by_hand" ]; then
  want="$by_hand" why="chosen by PINDREL_ARCH"
elif pindrel_can_run_32bit; then
  want=i686 why="this machine runs 32-bit code"
else
  want=x86_64 why="this machine refuses 32-bit code"
fi
case "$want" in
  i686 | x86_64) ;;
  *) echo "setup: PINDREL_ARCH must be i686 or x86_64, not \"$want\"" >&2; exit 1 ;;
esac

# The 32-bit Wine is asked of Wine itself, not of the package system: it may come from elsewhere.
wine32=""
nowine32_why="wine32 cannot be installed"
if [ "$want" = i686 ] && ! wine32=$(pindrel_find_wine32); then
  wine32=""
  if [ -z "$by_hand" ] && [ -n "$keep_choice" ] && [ -s "$pindrel_arch_file" ] &&
    [ "$(sed -n 2p "$pindrel_arch_file")" = "$nowine32_why" ]; then
    echo "setup: wine32:i386 could not be installed before: the 64-bit build is built and tested (./scripts/setup.sh tries again)"
    want=x86_64 why="$nowine32_why"
  fi
fi

installed() { dpkg -s "$1" >/dev/null 2>&1; }
compiler_package() {
  if [ "$1" = i686 ]; then echo g++-mingw-w64-i686; else echo g++-mingw-w64-x86-64; fi
}

need=()
command -v "$want-w64-mingw32-g++-posix" >/dev/null || need+=("$(compiler_package "$want")")
command -v cmake >/dev/null || need+=(cmake)
command -v make >/dev/null || need+=(make)
command -v wine >/dev/null || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v Xvfb >/dev/null || need+=(xvfb xauth)
command -v xdotool >/dev/null || need+=(xdotool)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# By the package: another program may be called convert.
installed imagemagick || need+=(imagemagick)
command -v xwd >/dev/null || need+=(x11-apps)
command -v xwininfo >/dev/null || need+=(x11-utils) # run.sh's screenshot
[ -x /usr/bin/python3 ] || need+=(python3)           # the local HTTP server of the download tests
need_wine32=""
[ "$want" = i686 ] && [ -z "$wine32" ] && need_wine32=1

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

if [ ${#need[@]} -gt 0 ] || [ -n "$need_wine32" ]; then
  echo "Installing: ${need[*]}${need_wine32:+ wine32:i386}"
  if [ -n "$need_wine32" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # One broken index (a mirror in the middle of a sync) must not stop the set-up: the packages
  # may well come from the others, and the install below says so when one cannot be had.
  update_log=$(mktemp)
  if ! $SUDO apt-get update -qq >"$update_log" 2>&1; then
    echo "setup: warning: apt-get update failed; going on with the package lists as they are:" >&2
    grep -E '^(E|W|Err):' "$update_log" | sed 's/^/  /' >&2 || true
  fi
  rm -f "$update_log"
  [ ${#need[@]} -eq 0 ] || apt_install "${need[@]}"
  if [ -n "$need_wine32" ]; then
    if apt_install wine32:i386; then
      wine32=/usr/lib/wine/wine
    elif [ -n "$by_hand" ]; then
      echo "setup: PINDREL_ARCH=i686 was asked for, but wine32:i386 cannot be installed (apt's message is above): the 32-bit build cannot run here" >&2
      exit 1
    else
      echo "setup: wine32:i386 cannot be installed: the 64-bit build is built and tested instead"
      want=x86_64 why="$nowine32_why"
      command -v x86_64-w64-mingw32-g++-posix >/dev/null || apt_install g++-mingw-w64-x86-64
    fi
  fi
fi

mkdir -p "$(dirname "$pindrel_arch_file")"
if [ "$want" = i686 ]; then
  printf '%s\n%s\n%s\n' "$want" "$why" "$wine32" >"$pindrel_arch_file"
else
  printf '%s\n%s\n' "$want" "$why" >"$pindrel_arch_file"
fi
