# Sourced by the other scripts: which Windows the build is for, and which Wine runs it.
# The program is a 32-bit Windows program. Some machines run only 64-bit user code: their
# kernel refuses 32-bit programs, and with them Wine's 32-bit loader. There, and where Wine's
# 32-bit half (wine32) cannot be installed, the build is the same code for 64-bit Windows, run by
# Wine's 64-bit loader in a 64-bit prefix. setup.sh makes the choice and writes it to
# <build>/pindrel-arch (the build on its first line, the reason on its second, and for the 32-bit
# build the loader that runs it on its third), so that build.sh, test.sh, run.sh and bench.sh all
# use the same build; PINDREL_ARCH=i686 or x86_64 chooses by hand.

pindrel_arch_file="${PINDREL_BUILD:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}/pindrel-arch"

pindrel_can_run_32bit() {
  # Tests of setup.sh stand in for the kernel's answer.
  case "${PINDREL_TEST_RUNS_32BIT:-}" in yes) return 0 ;; no) return 1 ;; esac
  # A 32-bit Linux program of 96 bytes that only exits: the kernel runs it or refuses it.
  local probe status=0
  probe=$(mktemp)
  echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhgAAAAYAAAAAUAAAAAEAAAuAEAAAC7AAAAAM2A' |
    base64 -d >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}

# Prints the path of a 32-bit Wine loader that runs here, whoever packaged it: Debian's first,
# then a `wine` on PATH or under /opt that is a 32-bit program. Fails when none runs.
pindrel_find_wine32() {
  # Tests of setup.sh stand in for the answer ("none", or a path).
  case "${PINDREL_TEST_WINE32:-}" in "") ;; none) return 1 ;; *) echo "$PINDREL_TEST_WINE32" && return 0 ;; esac
  local loader
  for loader in /usr/lib/wine/wine $(type -ap wine wine32 2>/dev/null) /opt/wine*/bin/wine; do
    [ -f "$loader" ] && [ -x "$loader" ] || continue
    # An ELF file whose class byte says 32 bits: Debian's `wine` is a script that falls back
    # to the 64-bit loader, which would answer too.
    [ "$(head -c 4 "$loader" | tail -c 3)" = ELF ] || continue
    [ "$(od -An -tu1 -j4 -N1 "$loader" 2>/dev/null | tr -d ' ')" = 1 ] || continue
    timeout 30 "$loader" --version >/dev/null 2>&1 </dev/null || continue
    echo "$loader"
    return 0
  done
  return 1
}

pindrel_wine32=""
if [ -n "${PINDREL_ARCH:-}" ]; then
  pindrel_arch_why="chosen by PINDREL_ARCH"
  [ -s "$pindrel_arch_file" ] && { read -r _ && read -r _ && read -r pindrel_wine32; } <"$pindrel_arch_file" || true
elif [ -s "$pindrel_arch_file" ]; then
  { read -r PINDREL_ARCH; read -r pindrel_arch_why || true; read -r pindrel_wine32 || true; } <"$pindrel_arch_file"
elif pindrel_can_run_32bit; then
  # setup.sh has not chosen yet (a benchmark built before any test run).
  if pindrel_wine32=$(pindrel_find_wine32); then
    PINDREL_ARCH=i686 pindrel_arch_why="this machine runs 32-bit code"
  else
    PINDREL_ARCH=x86_64 pindrel_arch_why="no 32-bit Wine runs here"
  fi
else
  PINDREL_ARCH=x86_64 pindrel_arch_why="this machine refuses 32-bit code"
fi
case "$PINDREL_ARCH" in
  i686 | x86_64) ;;
  *)
    echo "PINDREL_ARCH must be i686 or x86_64, not \"$PINDREL_ARCH\"" >&2
    return 1 2>/dev/null || exit 1
    ;;
esac
export PINDREL_ARCH
if [ "$PINDREL_ARCH" = x86_64 ]; then pindrel_winearch=win64; else pindrel_winearch=win32; fi

# "the 64-bit build (this machine refuses 32-bit code)", for what a run prints.
pindrel_arch_text() {
  if [ "$PINDREL_ARCH" = x86_64 ]; then printf '64-bit'; else printf '32-bit'; fi
  printf ' build (%s)' "$pindrel_arch_why"
}

# `wine` and `wine-stable` (which Wine's own commands call) must start the build's loader: the
# 64-bit one for a 64-bit build even where the 32-bit one is installed, and for a 32-bit build a
# loader from elsewhere than Debian's package, with the wineserver beside it. A folder of shims
# goes first on PATH.
pindrel_wine_loader() {
  local loader server=""
  if [ "$PINDREL_ARCH" = x86_64 ]; then
    loader=/usr/lib/wine/wine64
  elif [ -n "$pindrel_wine32" ] && [ "$pindrel_wine32" != /usr/lib/wine/wine ]; then
    loader=$pindrel_wine32
    [ -x "$(dirname "$loader")/wineserver" ] && server="$(dirname "$loader")/wineserver"
  else
    return 0
  fi
  local shims="$1/wine-shims" name
  mkdir -p "$shims"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=%s\nexec %s "$@"\n' "$loader" "$loader" >"$shims/$name"
    chmod +x "$shims/$name"
  done
  rm -f "$shims/wineserver"
  if [ -n "$server" ]; then
    printf '#!/bin/sh\nexec %s "$@"\n' "$server" >"$shims/wineserver"
    chmod +x "$shims/wineserver"
  fi
  case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
  export WINELOADER="$loader"
}
