#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing Vesmarin:
# the native toolchain, libedit, CLI11 (the command line's option grammar) and the test
# libraries, the 32-bit MinGW-w64 cross compiler, 32-bit Wine, a headless X server, and the
# packaging tools of `make dist`, and a headless browser for the exporter's status page (its
# test and the demo's screenshot). Does nothing when everything is already there. On a machine
# that refuses 32-bit code it adds what the emulated i386 PC of the 32-bit tests needs
# (scripts/win32-guest.sh).
#   install-deps.sh                 everything
#   install-deps.sh --build-only    only what the native and sanitizer builds need, so that
#                                   `make test` can start compiling while the rest installs
set -euo pipefail

build_only=0
case "${1:-}" in
  "") ;;
  --build-only) build_only=1 ;;
  *) echo "usage: install-deps.sh [--build-only]" >&2; exit 2 ;;
esac

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for p in cmake make ccache g++ clang libclang-rt-14-dev googletest libgtest-dev nlohmann-json3-dev \
         libcli11-dev libedit-dev python3; do
  have_pkg "$p" || need+=("$p")
done
if [ $build_only -eq 0 ]; then
  for p in python3-pefile g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 wine64 \
           xvfb xauth xdotool xclip x11-utils imagemagick fonts-liberation fonts-wine procps \
           zip unzip dpkg-dev lintian prometheus curl chromium-headless-shell; do
    have_pkg "$p" || need+=("$p")
  done
  have_pkg wine32:i386 || need+=("wine32:i386")
  have_pkg wine || need+=("wine")
fi

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
updated=0
install() {
  echo "installing: $*"
  if [ $updated -eq 0 ]; then
    $SUDO apt-get update -qq
    updated=1
  fi
  $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

if [ ${#need[@]} -gt 0 ]; then
  if [ $build_only -eq 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  install "${need[@]}"
fi

[ $build_only -eq 1 ] && exit 0

# The exporter's test runs a Prometheus server of its own on a free port; the package's own
# service, where the install started one, is stopped and kept from starting again.
if have_pkg prometheus; then
  if command -v systemctl >/dev/null 2>&1 && [ -d /run/systemd/system ]; then
    $SUDO systemctl disable --now prometheus >/dev/null 2>&1 || true
  elif [ -x /etc/init.d/prometheus ]; then
    $SUDO /etc/init.d/prometheus stop >/dev/null 2>&1 || true
    $SUDO update-rc.d prometheus disable >/dev/null 2>&1 || true
  fi
fi

# Only with Wine installed can the machine tell whether 32-bit code runs here. Where it does
# not, the 32-bit tests run in an emulated PC: its image is made with debootstrap and
# e2fsprogs, and the simulator inside it is a static 32-bit build (g++-multilib).
if [ "$("$(dirname "$0")/windows-test-arch.sh")" = win64 ]; then
  guest=()
  for p in qemu-system-x86 debootstrap e2fsprogs cpio xz-utils zstd g++-multilib \
           debian-archive-keyring; do
    have_pkg "$p" || guest+=("$p")
  done
  [ ${#guest[@]} -eq 0 ] || install "${guest[@]}"
fi
