#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine with a sample robot.
# It runs in a throw-away Wine prefix inside the build folder; set PINDREL_WINEPREFIX to use
# another prefix on purpose. With no display (or PINDREL_XVFB=1) it runs on a private Xvfb
# display for a few seconds and saves a screenshot to build/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PINDREL_BUILD:-$root/build}"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

source "$root/scripts/wine-env.sh"
trap pindrel_cleanup EXIT
headless=""
if [ -z "${DISPLAY:-}" ] || [ "${PINDREL_XVFB:-}" = 1 ]; then
  headless=1
  pindrel_start_xvfb
fi
pindrel_prepare_prefix "${PINDREL_WINEPREFIX:-$build/run-prefix}"
# Xvfb has no window manager: let Wine draw the window frames itself (throw-away prefix only).
if [ -n "$headless" ] && [ -z "${PINDREL_WINEPREFIX:-}" ]; then pindrel_unmanaged_windows; fi

# The sample robots go into the prefix's robot folder unless a robot of that name is there.
appdata=$(wine cmd.exe /c echo %APPDATA% 2>/dev/null | tr -d '\r')
robots="$(winepath -u "$appdata" 2>/dev/null)/vantorel/Pindrel/script"
mkdir -p "$robots"
for f in "$root"/res/samples/*.txt; do
  [ -e "$robots/$(basename "$f")" ] || cp "$f" "$robots/"
done

if [ -z "$headless" ]; then
  wine "$build/bin/pindrel.exe" "$@"
else
  wine "$build/bin/pindrel.exe" "$@" &
  sleep "${PINDREL_SHOW_SECONDS:-6}"
  xwd -root -silent | convert xwd:- "$build/screenshot.png" && echo "screenshot: $build/screenshot.png"
  kill %1 2>/dev/null || true
fi
