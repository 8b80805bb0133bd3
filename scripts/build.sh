#!/usr/bin/env bash
# Configures and builds the program, its tests and benchmarks into build/ (or $PINDREL_BUILD).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PINDREL_BUILD:-$root/build}"
source "$root/scripts/arch.sh"
toolchain="$root/cmake/mingw-$PINDREL_ARCH.cmake"
# A build folder configured for the other Windows starts afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain\$" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
# Progress lines are dropped; warnings and errors stay.
set +e
cmake --build "$build" -j"$(nproc)" 2>&1 | grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built target)|^Scanning'
exit "${PIPESTATUS[0]}"
