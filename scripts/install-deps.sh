#!/usr/bin/env bash
# Installs what building and testing need on Debian, only where something is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/i386_probe.sh"

packages=(cmake g++ ninja-build libgtest-dev googletest
          mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 xvfb xdotool imagemagick x11-utils procps)
# 32-bit Wine only where 32-bit programs run: elsewhere it could never start, and the 32-bit programs
# that some i386 packages run while installing would fail there.
i386=0
if vv_runs_i386; then
  i386=1
  packages+=(wine32:i386)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}" >&2
# 32-bit Wine needs Debian's i386 architecture.
if ((i386)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
