#!/usr/bin/env bash
# Shows the modem link and the information run against two simulated modems: first with the
# native tool, then with the Windows build under Wine, and last the window program on a
# virtual display, whose screenshots land in build/demo. Leaves no process or link behind.
#   demo.sh WINARCH     (win32 or win64: the Windows build that can run on this machine)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-win32}
native=$root/build/native
sim=$native/modemsim
cli=$native/vesmarin-cli
wincli=$root/build/$arch/vesmarin-cli.exe
prefix=$root/build/$arch/wineprefix
profiles=$root/tools/modemsim/profiles
work=$(mktemp -d)
sim_pid=

heading() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
show() { printf '\033[2m$ %s\033[0m\n' "$*"; }

start_modems() {   # start_modems PORTS_DIR
  mkfifo "$work/ready.$$"
  "$sim" --ports "$1" --log "$work/logs" 5="$profiles/full-stick.profile" \
         9="$profiles/old-stick.profile" 7="$profiles/drifting-stick.profile" \
         8="$profiles/lte-drifting.profile" > "$work/ready.$$" &
  sim_pid=$!
  if ! timeout 20 head -n 1 "$work/ready.$$" | grep -qx ready; then
    echo "demo: the modem simulator did not start" >&2
    exit 1
  fi
  rm -f "$work/ready.$$"
}

stop_modems() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=
  fi
}

cleanup() {
  [ -d "$prefix" ] && "$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" --kill
  stop_modems
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/ports" "$work/logs"

heading "Simulated modems: COM5 = full-stick.profile, COM9 = old-stick.profile, COM7 = drifting-stick.profile, COM8 = lte-drifting.profile"
start_modems "$work/ports"

heading "Native: scan COM1 to COM254"
show "vesmarin-cli scan"
VESMARIN_PORTS=$work/ports "$cli" scan | tee "$work/entries"
entry=$(head -n 1 "$work/entries")

heading "Native: one AT command, as the terminal tab sends it"
show "vesmarin-cli at \"$entry\" ATI"
VESMARIN_PORTS=$work/ports "$cli" at "$entry" ATI | tr -d '\r'

heading "Native: the information run"
show "vesmarin-cli info \"$entry\""
VESMARIN_PORTS=$work/ports "$cli" info "$entry"
show "vesmarin-cli info COM9"
VESMARIN_PORTS=$work/ports "$cli" info COM9

heading "Native: the live signal meter of a modem whose signal drifts (about 6 s)"
show "vesmarin-cli watch --interval 0.3 --count 20 COM7"
VESMARIN_PORTS=$work/ports "$cli" watch --interval 0.3 --count 20 COM7

heading "Native: the serving cell of an LTE stick, twice (its signal and cell drift)"
show "vesmarin-cli cell COM8"
VESMARIN_PORTS=$work/ports "$cli" cell COM8
show "vesmarin-cli cell --json COM8"
VESMARIN_PORTS=$work/ports "$cli" cell --json COM8
heading "Native: the live meter of the same LTE stick, RSRP, RSRQ, SINR and its cell (about 6 s)"
show "vesmarin-cli watch --interval 0.3 --count 20 COM8"
VESMARIN_PORTS=$work/ports "$cli" watch --interval 0.3 --count 20 COM8
stop_modems

heading "Windows build ($arch) under Wine"
if [ "$arch" = win64 ]; then
  echo "(this machine cannot execute 32-bit code, so the 64-bit build of the same sources runs;"
  echo " the 32-bit program is at build/win32/vesmarin-cli.exe)"
fi
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" --init
start_modems "$prefix/dosdevices"
show "wine vesmarin-cli.exe scan"
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" -- "$wincli" scan
show "wine vesmarin-cli.exe info COM5"
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" -- "$wincli" info COM5
show "wine vesmarin-cli.exe watch --count 5 --interval 0.5 COM7"
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" -- "$wincli" watch --count 5 --interval 0.5 COM7
show "wine vesmarin-cli.exe cell COM8"
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" -- "$wincli" cell COM8
# The Wine server holds the ptys: it goes first, then the simulator.
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" --kill
stop_modems

heading "The window program ($arch) under Wine on a virtual display"
echo "(reads COM5, then sends ATI on the terminal tab)"
shots=$root/build/demo
if "$root/tests/gui/run-with-display.sh" -- "$root/scripts/window-screenshots.sh" \
     --arch "$arch" --prefix "$prefix" --modemsim "$sim" --exe "$root/build/$arch/Vesmarin.exe" \
     --out "$shots"; then
  for picture in "$shots"/*.png; do
    echo "screenshot: $picture"
  done
else
  echo "demo: the window program could not be shown" >&2
  exit 1
fi
heading "Done"
