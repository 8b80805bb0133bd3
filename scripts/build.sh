#!/usr/bin/env bash
# Configures and builds the program, its tests and benchmarks into build/ (or $PINDREL_BUILD).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PINDREL_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
# Progress lines are dropped; warnings and errors stay.
set +e
cmake --build "$build" -j"$(nproc)" 2>&1 | grep -v -E '^\[ *[0-9]+%\] (Building|Linking|Built target)|^Scanning'
exit "${PIPESTATUS[0]}"
