# Sourced by test.sh and run.sh: a display, a throw-away Wine prefix and its wineserver.
# Never touches the user's own prefix: WINEPREFIX always points inside the build folder
# unless the caller chose another one on purpose.

pindrel_started_xvfb=""
source "$(dirname "${BASH_SOURCE[0]}")/arch.sh"

# A private Xvfb display (tests move the mouse, so they never use the user's own display).
pindrel_start_xvfb() {
  # Xvfb picks a free display number itself and writes it to the given descriptor.
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  pindrel_started_xvfb=$!
  local i
  for i in $(seq 1 200); do
    [ -s "$numfile" ] && break
    sleep 0.05
  done
  local n
  n=$(tr -dc 0-9 <"$numfile")
  rm -f "$numfile"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":${n}"
}

# Makes the prefix ready and starts its persistent wineserver. A throw-away prefix ("throwaway"
# as second argument) is created once (about 15 s) and made again when it lacks our marker or
# is for the other Windows. A prefix the user named is never deleted: it is created only where
# its folder does not exist, and otherwise used as it is (32-bit or 64-bit alike).
pindrel_own_prefix=""
pindrel_prepare_prefix() {
  export WINEPREFIX="$1"
  pindrel_wine_loader "$(dirname "$1")"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "${2:-}" = throwaway ]; then
    pindrel_own_prefix=1
    export WINEARCH="$pindrel_winearch"
    # A prefix made for the other Windows (or left half-made by a loader that could not run)
    # is made again: the 64-bit loader refuses a 32-bit prefix.
    if [ ! -f "$WINEPREFIX/.pindrel-ready" ] ||
      ! grep -q "^#arch=$pindrel_winearch\$" "$WINEPREFIX/system.reg" 2>/dev/null; then
      rm -rf "$WINEPREFIX"
      pindrel_create_prefix
      touch "$WINEPREFIX/.pindrel-ready"
    fi
    wineserver -p
  elif [ ! -e "$WINEPREFIX" ]; then
    export WINEARCH="$pindrel_winearch"
    pindrel_create_prefix
  fi
  # Start Wine's own services now, with their output going nowhere: started from inside a
  # test they would inherit CTest's output pipe and keep it open after the test ends.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

pindrel_create_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
}

# The test display has no window manager: Wine must not hand windows to one, or it waits two
# seconds for the manager each time it hides a window that was activated. A Wine process reads
# this setting when it starts, and Wine's own services (the desktop and its stand-in tray among
# them) were started with the prefix: they are stopped, the setting is written by a server that
# then ends normally (so that it saves it), and they are started again. A tray left thinking a
# manager looks after it takes no clicks.
pindrel_unmanaged_windows() {
  [ -f "$WINEPREFIX/.pindrel-unmanaged" ] && return 0
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 &&
    wineserver -w && touch "$WINEPREFIX/.pindrel-unmanaged" || true
  wineserver -p
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# Saves what the screen shows as a PNG file. A grab of the root window alone shows a window that
# the X server keeps off the screen (a Wine dialog opened after the start) as a black box: each
# viewable top-level window is grabbed on its own and laid over the root in stacking order.
pindrel_screenshot() {
  local out="$1" dir layers=() id state x y w h n=0 tool
  for tool in xwd xwininfo convert; do
    command -v "$tool" >/dev/null || { echo "no screenshot: $tool is not installed" >&2; return 1; }
  done
  dir=$(mktemp -d)
  xwd -root -silent | convert xwd:- "$dir/root.png" || { rm -rf "$dir"; return 1; }
  # Children of the root: "0x400001 "title": ("name" "class")  WxH+x+y  +X+Y". xwininfo lists
  # the top one first; they are laid bottom first, so that a window's grab never covers what
  # lies over it (a grab shows black where another window hides it).
  for id in $(xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' | tac); do
    read -r state x y w h < <(xwininfo -id "$id" | awk '
      /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
      /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} /Map State:/ {s = $NF}
      END {print s, x, y, w, h}')
    [ "$state" = IsViewable ] && [ "${w:-0}" -gt 1 ] && [ "${h:-0}" -gt 1 ] || continue
    xwd -id "$id" -nobdrs -silent 2>/dev/null | convert xwd:- "$dir/$n.png" 2>/dev/null || continue
    layers+=("$dir/$n.png" -geometry "$(printf "%+d%+d" "$x" "$y")" -composite)
    n=$((n + 1))
  done
  convert "$dir/root.png" "${layers[@]}" "$out"
  local status=$?
  rm -rf "$dir"
  return "$status"
}

pindrel_cleanup() {
  # Only our own prefix loses its wineserver: the user's prefix may run other programs.
  if [ -n "$pindrel_own_prefix" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$pindrel_started_xvfb" ]; then kill "$pindrel_started_xvfb" >/dev/null 2>&1 || true; fi
}
