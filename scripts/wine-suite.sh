#!/usr/bin/env bash
# Runs a whole suite of Windows tests (a CTest run, typically) with one private X display and
# one Wine server kept up for all of them, then stops both.
#   wine-suite.sh --arch win32|win64 --prefix DIR -- COMMAND ARGS...
# Every Wine program started from a cold server pays for the server and the prefix's services
# starting again; kept up, the suite pays that once. Inside, VESMARIN_WINE_SUITE is set:
# wine.sh --kill then leaves the server up and tests/gui/run-with-display.sh hands out the
# suite's display instead of starting one. The exit status is COMMAND's.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
arch= prefix=
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "wine-suite: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -n "$arch" ] && [ -n "$prefix" ] && [ $# -gt 0 ] ||
  { echo "usage: wine-suite.sh --arch ARCH --prefix DIR -- COMMAND ARGS..." >&2; exit 2; }

if [ -z "${VESMARIN_WINE_SUITE_DISPLAY_UP:-}" ]; then
  # First the display, so the server's desktop process is born on it.
  exec env VESMARIN_WINE_SUITE_DISPLAY_UP=1 "$root/tests/gui/run-with-display.sh" -- \
    "$0" --arch "$arch" --prefix "$prefix" -- "$@"
fi
unset VESMARIN_WINE_SUITE_DISPLAY_UP

wine() { "$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" "$@"; }
wine --init || { echo "wine-suite: the prefix $prefix could not be made" >&2; exit 1; }
# A server of this prefix from before may belong to another display (or none).
wine --kill
stop_server() { wine --kill; }
trap stop_server EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# A persistent server: it stays up between the suite's programs until it is told to stop.
wine --server-persistent || { echo "wine-suite: the Wine server did not start" >&2; exit 1; }
# The first program of a fresh server starts the prefix's services (services.exe and what it
# runs), which live as long as the server and keep the output of the program that started them
# open: started by a test, they would hold its output, and CTest would wait for it to close. A
# program of the suite's own starts them first, its output in the prefix.
wine -- cmd.exe /c exit </dev/null >"$prefix/suite-boot.log" 2>&1

VESMARIN_WINE_SUITE=$prefix "$@"
