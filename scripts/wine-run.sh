#!/usr/bin/env bash
# Runs one Windows program of the build under Wine in the test prefix (used by CTest).
export WINEPREFIX="${PINDREL_WINEPREFIX:?PINDREL_WINEPREFIX is not set}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
