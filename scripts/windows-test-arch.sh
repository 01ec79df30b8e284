#!/usr/bin/env bash
# Prints the Windows architecture whose build the tests run under Wine: win32, the product's
# own, when this machine can execute 32-bit code; otherwise win64 (some virtual machines run
# 64-bit code only, and 32-bit Wine cannot start there at all; the 32-bit build's tests then
# run in an emulated i386 PC). VESMARIN_NO_32BIT=1 makes a machine that runs 32-bit code take
# the other way, to rehearse it.
if [ "${VESMARIN_NO_32BIT:-}" != 1 ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
else
  echo win64
fi
