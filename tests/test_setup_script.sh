#!/usr/bin/env bash
# scripts/setup.sh on a machine where another program is called convert and ImageMagick is not
# installed: it installs ImageMagick. The package tools are stand-ins that only record the call.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT

cat >"$stubs/dpkg" <<'EOF'
#!/bin/sh
# Every package is installed except ImageMagick; i386 is a foreign architecture already.
case "$*" in
  *--print-foreign-architectures*) echo i386 ;;
  *"-s imagemagick"*) exit 1 ;;
esac
exit 0
EOF
printf '#!/bin/sh\necho "$*" >>"%s/apt-get.log"\n' "$stubs" >"$stubs/apt-get"
printf '#!/bin/sh\necho "not ImageMagick"\n' >"$stubs/convert"
printf '#!/bin/sh\n"$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*

PATH="$stubs:$PATH" "$root/scripts/setup.sh" >/dev/null 2>&1
if grep -q "install.* imagemagick" "$stubs/apt-get.log" 2>/dev/null; then
  echo "setup.sh installs ImageMagick beside another convert"
  exit 0
fi
echo "FAILED: setup.sh did not install ImageMagick; apt-get was called with: $(cat "$stubs/apt-get.log" 2>/dev/null)"
exit 1
