#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine with a sample robot.
# It runs in a throw-away Wine prefix inside the build folder; set PINDREL_WINEPREFIX to use
# another prefix on purpose: that prefix is never deleted, only created when its folder does not
# exist. With no display (or PINDREL_XVFB=1) it runs on a private Xvfb display for a few seconds
# and saves a screenshot to build/screenshot.png. PINDREL_NO_BUILD=1 starts what is built.
# The exit status is the program's, except that its normal end (exit code 18) is a success.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PINDREL_BUILD:-$root/build}"
if [ "${PINDREL_NO_BUILD:-}" != 1 ]; then
  "$root/scripts/setup.sh" --keep-choice
  "$root/scripts/build.sh"
fi

source "$root/scripts/wine-env.sh"
trap pindrel_cleanup EXIT
headless=""
if [ -z "${DISPLAY:-}" ] || [ "${PINDREL_XVFB:-}" = 1 ]; then
  headless=1
  pindrel_start_xvfb
fi
if [ -n "${PINDREL_WINEPREFIX:-}" ]; then
  pindrel_prepare_prefix "$PINDREL_WINEPREFIX"
else
  pindrel_prepare_prefix "$build/run-prefix" throwaway
fi
# Xvfb has no window manager: let Wine draw the window frames itself (throw-away prefix only).
if [ -n "$headless" ] && [ -z "${PINDREL_WINEPREFIX:-}" ]; then pindrel_unmanaged_windows; fi

# The sample robots go into the prefix's robot folder unless a robot of that name is there.
appdata=$(wine cmd.exe /c echo %APPDATA% 2>/dev/null | tr -d '\r')
robots="$(winepath -u "$appdata" 2>/dev/null)/vantorel/Pindrel/script"
mkdir -p "$robots"
for f in "$root"/res/samples/*.txt; do
  [ -e "$robots/$(basename "$f")" ] || cp "$f" "$robots/"
done

# The program ends with exit code 18 when the user quits it.
status=0
if [ -z "$headless" ]; then
  wine "$build/bin/pindrel.exe" "$@" || status=$?
else
  wine "$build/bin/pindrel.exe" "$@" &
  sleep "${PINDREL_SHOW_SECONDS:-6}"
  if pindrel_screenshot "$build/screenshot.png"; then
    echo "screenshot: $build/screenshot.png"
  else
    echo "run.sh: no screenshot could be made" >&2
  fi
  # Ends the program itself, not only Wine's loader: the user's prefix keeps its wineserver.
  wine taskkill /f /im pindrel.exe >/dev/null 2>&1 || true
  kill %1 2>/dev/null || true
fi
[ "$status" = 18 ] && status=0
exit "$status"
