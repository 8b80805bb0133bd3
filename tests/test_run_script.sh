#!/usr/bin/env bash
# scripts/run.sh with a Wine prefix the user named: the folder and what the user keeps in it stay,
# the program runs in it, and the program's normal end (exit code 18) counts as success.
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
[ "$failures" = 0 ] || cat "$prefix.log"
rm -rf "$prefix" "$prefix.log"
[ "$failures" = 0 ] && echo "run.sh kept the user's prefix and ended with success"
exit "$failures"
