# Sourced by the other scripts: which Windows the build is for, and which Wine runs it.
# The program is a 32-bit Windows program. Some machines run only 64-bit user code: their
# kernel refuses 32-bit programs, and with them Wine's 32-bit loader. There the build is the
# same code for 64-bit Windows, run by Wine's 64-bit loader in a 64-bit prefix.

pindrel_can_run_32bit() {
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

if [ -z "${PINDREL_ARCH:-}" ]; then
  if pindrel_can_run_32bit; then PINDREL_ARCH=i686; else PINDREL_ARCH=x86_64; fi
fi
export PINDREL_ARCH
if [ "$PINDREL_ARCH" = x86_64 ]; then pindrel_winearch=win64; else pindrel_winearch=win32; fi

# With a 64-bit build, `wine` and `wine-stable` (which Wine's own commands call) must start the
# 64-bit loader even where the 32-bit one is installed: a folder of shims goes first on PATH.
pindrel_wine_loader() {
  [ "$PINDREL_ARCH" = x86_64 ] || return 0
  local shims="$1/wine64-shims" name
  mkdir -p "$shims"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/$name"
    chmod +x "$shims/$name"
  done
  case ":$PATH:" in *":$shims:"*) ;; *) export PATH="$shims:$PATH" ;; esac
  export WINELOADER=/usr/lib/wine/wine64
}
