#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite under Wine on a
# private Xvfb display, in a throw-away Wine prefix inside the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PINDREL_BUILD:-$root/build}"
"$root/scripts/setup.sh" --keep-choice
"$root/scripts/build.sh"

source "$root/scripts/wine-env.sh"
trap pindrel_cleanup EXIT
pindrel_start_xvfb
pindrel_prepare_prefix "$build/wineprefix" throwaway
pindrel_unmanaged_windows
export PINDREL_WINEPREFIX="$WINEPREFIX"

echo "Testing the $(pindrel_arch_text) under $(wine --version 2>/dev/null || echo "a Wine that gave no version")"
ctest --test-dir "$build" --output-on-failure "$@"
