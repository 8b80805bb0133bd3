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
wine "$build/bin/$name.exe" "$@"
