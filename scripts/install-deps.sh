#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing Vesmarin:
# the native toolchain, libedit and the test libraries, the 32-bit MinGW-w64 cross compiler, 32-bit Wine,
# a headless X server, and the packaging tools of `make dist`. Does nothing when everything is
# already there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake make ccache g++ clang libclang-rt-14-dev googletest libgtest-dev nlohmann-json3-dev \
         libedit-dev libbenchmark-dev python3 python3-pefile g++-mingw-w64-i686 binutils-mingw-w64-i686 \
         g++-mingw-w64-x86-64 wine64 \
         xvfb xauth xdotool xclip x11-utils imagemagick fonts-liberation fonts-wine procps \
         zip unzip dpkg-dev lintian; do
  have_pkg "$p" || need+=("$p")
done
have_pkg wine32:i386 || need+=("wine32:i386")
have_pkg wine || need+=("wine")

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
