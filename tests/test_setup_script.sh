#!/usr/bin/env bash
# scripts/setup.sh with the package tools stood in for: each stand-in records its calls, and a
# case says which packages are missing and which apt-get calls fail. Checks what setup asks apt
# for, and which build it chooses for the other scripts.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# run_setup <case> <missing packages> <failing apt-get words> [VAR=value ...]
# Leaves the calls in $work/<case>/calls, the output in .../out, the chosen build in .../arch.
# No 32-bit Wine runs unless PINDREL_TEST_WINE32 names one; SETUP_ARGS go to setup.sh. A case run
# again keeps its build folder, and with it the earlier choice.
run_setup() {
  local name="$1" missing="$2" failing="$3" dir="$work/$1"
  shift 3
  mkdir -p "$dir/bin" "$dir/build"
  rm -f "$dir/calls"
  cat >"$dir/bin/dpkg" <<STUB
#!/bin/sh
echo "dpkg \$*" >>"$dir/calls"
case "\$*" in
  *--print-foreign-architectures*) exit 0 ;;
  "-s "*) for p in $missing; do [ "\$2" = "\$p" ] && exit 1; done ;;
esac
exit 0
STUB
  cat >"$dir/bin/apt-get" <<STUB
#!/bin/sh
echo "apt-get \$*" >>"$dir/calls"
for w in $failing; do
  case " \$* " in *" \$w "*) echo "E: stand-in failure of \$w" >&2; exit 100 ;; esac
done
exit 0
STUB
  printf '#!/bin/sh\necho "not ImageMagick"\n' >"$dir/bin/convert"
  printf '#!/bin/sh\n"$@"\n' >"$dir/bin/sudo"
  chmod +x "$dir/bin"/*
  env -u PINDREL_ARCH PATH="$dir/bin:$PATH" PINDREL_BUILD="$dir/build" PINDREL_TEST_WINE32=none "$@" \
    "$root/scripts/setup.sh" ${SETUP_ARGS:-} >"$dir/out" 2>&1
  echo $? >"$dir/status"
  head -n 1 "$dir/build/pindrel-arch" >"$dir/arch" 2>/dev/null || : >"$dir/arch"
}
expect() { # <case> <what> <command...>
  local name="$1" what="$2"
  shift 2
  if ! "$@"; then
    echo "FAILED ($name): $what"
    sed 's/^/  | /' "$work/$name/calls" "$work/$name/out" 2>/dev/null
    failures=$((failures + 1))
  fi
}
calls_have() { grep -q -- "$2" "$work/$1/calls" 2>/dev/null; }
calls_lack() { ! calls_have "$@"; }
is() { [ "$(cat "$work/$1/$2")" = "$3" ]; }

# Another program is called convert and ImageMagick is not installed: ImageMagick is installed.
run_setup convert "imagemagick" "" PINDREL_TEST_RUNS_32BIT=no
expect convert "ImageMagick is installed" calls_have convert "install.* imagemagick"

# An index that fails on update: a warning, and the install goes on.
run_setup broken-index "imagemagick" "update" PINDREL_TEST_RUNS_32BIT=no
expect broken-index "the install follows a failed update" calls_have broken-index "install.* imagemagick"
expect broken-index "setup succeeds" is broken-index status 0
expect broken-index "the failed update is named" grep -q "apt-get update failed" "$work/broken-index/out"

# A machine that refuses 32-bit code: nothing of i386 is asked for.
run_setup only64 "imagemagick wine32:i386" "" PINDREL_TEST_RUNS_32BIT=no
expect only64 "no i386 architecture" calls_lack only64 "add-architecture"
expect only64 "no wine32" calls_lack only64 "wine32"
expect only64 "the 64-bit build is chosen" is only64 arch x86_64

# 32-bit code runs but wine32 cannot be installed: one line says so, the 64-bit build is chosen.
run_setup nowine32 "wine32:i386" "wine32:i386" PINDREL_TEST_RUNS_32BIT=yes
expect nowine32 "wine32 is asked for" calls_have nowine32 "install.* wine32:i386"
expect nowine32 "setup succeeds" is nowine32 status 0
expect nowine32 "the 64-bit build is chosen" is nowine32 arch x86_64
expect nowine32 "one line says why" grep -q "wine32:i386 cannot be installed: the 64-bit build" "$work/nowine32/out"

# Called again by test.sh or run.sh: wine32 is not asked for again, nor the index updated.
SETUP_ARGS=--keep-choice run_setup nowine32 "wine32:i386" "wine32:i386" PINDREL_TEST_RUNS_32BIT=yes
expect nowine32 "no second try from a script" calls_lack nowine32 "wine32\|update"
expect nowine32 "the 64-bit build is kept" is nowine32 arch x86_64
# Run by hand, setup tries again.
run_setup nowine32 "wine32:i386" "wine32:i386" PINDREL_TEST_RUNS_32BIT=yes
expect nowine32 "a try by hand" calls_have nowine32 "install.* wine32:i386"

# A 32-bit Wine that runs, from another packaging: no wine32:i386 is asked for, and the 32-bit
# build runs with that loader, also when asked for by hand.
run_setup elsewhere "wine32:i386" "" PINDREL_TEST_RUNS_32BIT=yes PINDREL_TEST_WINE32=/opt/wine-hand/bin/wine
expect elsewhere "no wine32 package" calls_lack elsewhere "wine32\|add-architecture"
expect elsewhere "the 32-bit build is chosen" is elsewhere arch i686
expect elsewhere "with that loader" grep -qx /opt/wine-hand/bin/wine "$work/elsewhere/build/pindrel-arch"
run_setup elsewhere "wine32:i386" "" PINDREL_TEST_RUNS_32BIT=yes PINDREL_TEST_WINE32=/opt/wine-hand/bin/wine PINDREL_ARCH=i686
expect elsewhere "setup succeeds by hand" is elsewhere status 0
expect elsewhere "the 32-bit build by hand" is elsewhere arch i686

# The same with the 32-bit build asked for by hand: setup fails and says why.
run_setup byhand "wine32:i386" "wine32:i386" PINDREL_TEST_RUNS_32BIT=yes PINDREL_ARCH=i686
expect byhand "setup fails" is byhand status 1
expect byhand "the message names the hand choice" grep -q "PINDREL_ARCH=i686 was asked for" "$work/byhand/out"

# 32-bit code runs and wine32 installs: the 32-bit build.
run_setup with32 "wine32:i386" "" PINDREL_TEST_RUNS_32BIT=yes
expect with32 "i386 is added" calls_have with32 "add-architecture i386"
expect with32 "the 32-bit build is chosen" is with32 arch i686

if [ "$failures" -eq 0 ]; then
  echo "setup.sh: every case chose and installed as expected"
  exit 0
fi
exit 1
