#!/usr/bin/env bash
# scripts/run.sh with a Wine prefix the user named: the folder and what the user keeps in it stay,
# the program runs in it, and the program's normal end (exit code 18) counts as success. Then
# run.sh without a display: its screenshot shows the windows as they are painted.
# Usage: test_run_script.sh <build folder>   (needs DISPLAY, as the test run gives)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build="$1"
prefix=$(mktemp -d "$build/user-prefix.XXXXXX")
echo "the user's own file" >"$prefix/keep.txt"
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The sample robot plays and the program quits by itself: its exit code reaches run.sh.
PINDREL_NO_BUILD=1 PINDREL_BUILD="$build" PINDREL_WINEPREFIX="$prefix" PINDREL_XVFB=0 \
  "$root/scripts/run.sh" -a "Sample Clicker" </dev/null >"$prefix.log" 2>&1
status=$?
[ "$status" = 0 ] || fail "run.sh ended with $status after the program's normal end"
[ -f "$prefix/keep.txt" ] || fail "the user's file in the prefix was deleted"
[ -f "$prefix/.pindrel-ready" ] && fail "run.sh marked the user's prefix as its own"
find "$prefix/drive_c/users" -name "Sample Clicker.txt" -path "*vantorel/Pindrel/script/*" | grep -q . ||
  fail "the sample robot was not put into the user's prefix"

WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1

# Without a display: the screenshot shows the tip of the day, centred on the screen over the
# main window, as it is painted (a window grab that misses it leaves a black box there).
rm -f "$build/screenshot.png" "$build/run-prefix/drive_c/users/"*/AppData/Roaming/vantorel/Pindrel/option.ini
PINDREL_NO_BUILD=1 PINDREL_BUILD="$build" PINDREL_XVFB=1 PINDREL_SHOW_SECONDS=10 \
  "$root/scripts/run.sh" </dev/null >>"$prefix.log" 2>&1
if [ -f "$build/screenshot.png" ]; then
  # The mean brightness of the screen's middle, from 0 (black) to 1 (white).
  middle=$(convert "$build/screenshot.png" -gravity center -crop 200x100+0+0 +repage -colorspace Gray \
    -format "%[fx:mean]" info:)
  awk -v m="$middle" 'BEGIN { exit !(m > 0.2) }' || fail "the middle of the screenshot is dark ($middle): the tip is not in it"
else
  fail "run.sh saved no screenshot"
fi

[ "$failures" = 0 ] || cat "$prefix.log"
rm -rf "$prefix" "$prefix.log"
[ "$failures" = 0 ] && echo "run.sh kept the user's prefix, ended with success and showed the screen"
exit "$failures"
