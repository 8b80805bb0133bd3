#!/usr/bin/env bash
# Builds and runs one benchmark under Wine on a private Xvfb display, in the test prefix:
#   ./scripts/bench.sh bench_runloop [arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PINDREL_BUILD:-$root/build}"
name="${1:?usage: scripts/bench.sh <benchmark> [arguments]}"
shift
"$root/scripts/build.sh"

source "$root/scripts/wine-env.sh"
trap pindrel_cleanup EXIT
pindrel_start_xvfb
pindrel_prepare_prefix "$build/wineprefix" throwaway
# A benchmark with a python3 twin (bench/<name>.py) gets python's figures from the same run.
if [ -f "$root/bench/$name.py" ] && command -v python3 >/dev/null; then
  set -- "$@" --python "$(python3 "$root/bench/$name.py" "$@")"
fi
wine "$build/bin/$name.exe" "$@"
