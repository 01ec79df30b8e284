#!/usr/bin/env bash
# Shows the modem link and the information run against two simulated modems: first with the
# native tool (the exporter's status page drawn by a headless browser), then with the Windows
# build under Wine, and last the window program on a virtual display; the screenshots land in
# build/demo. Leaves no process or link behind.
#   demo.sh WINARCH     (win32 or win64: the Windows build that can run on this machine)
# The simulator runs each part against the modems (modemsim -- COMMAND).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-win32}
native=$root/build/native
sim=$native/modemsim
cli=$native/vesmarin-cli
wincli=$root/build/$arch/vesmarin-cli.exe
prefix=$root/build/$arch/wineprefix
profiles=$root/tools/modemsim/profiles
modems=(5="$profiles/full-stick.profile" 9="$profiles/old-stick.profile" 7="$profiles/drifting-stick.profile"
        8="$profiles/lte-drifting.profile" 10="$profiles/endc-module.profile")

heading() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
show() { printf '\033[2m$ %s\033[0m\n' "$*"; }

# The two parts that run against the simulated modems: the simulator runs this script again
# with --native-part or --wine-part (modemsim ... -- demo.sh --...-part) and stops the modems
# when the part ends.
native_part() {   # native_part PORTS_DIR
  local entry
  export VESMARIN_PORTS=$1
  heading "Native: scan COM1 to COM254"
  show "vesmarin-cli scan"
  "$cli" scan | tee "$1/../entries"
  entry=$(head -n 1 "$1/../entries")

  heading "Native: one AT command, as the terminal tab sends it"
  show "vesmarin-cli at \"$entry\" ATI"
  "$cli" at "$entry" ATI | tr -d '\r'

  heading "Native: the information run"
  show "vesmarin-cli info \"$entry\""
  "$cli" info "$entry"
  show "vesmarin-cli info COM9"
  "$cli" info COM9

  heading "Native: the live signal meter of a modem whose signal drifts (about 6 s)"
  show "vesmarin-cli watch --interval 0.3 --count 20 COM7"
  "$cli" watch --interval 0.3 --count 20 COM7

  heading "Native: the serving cell of an LTE stick, twice (its signal and cell drift)"
  show "vesmarin-cli cell COM8"
  "$cli" cell COM8
  show "vesmarin-cli cell --json COM8"
  "$cli" cell --json COM8
  heading "Native: the live meter of the same LTE stick, RSRP, RSRQ, SINR and its cell (about 6 s)"
  show "vesmarin-cli watch --interval 0.3 --count 20 COM8"
  "$cli" watch --interval 0.3 --count 20 COM8
  heading "Native: a 5G module on EN-DC: the LTE anchor, the NR leg and the component carriers"
  show "vesmarin-cli cell COM10"
  "$cli" cell COM10

  status_page "$1"
  return 0
}

# The exporter over the same modems: a few rounds of readings, one modem of its JSON API, and
# its status page as a browser draws it (build/demo/status-page.png).
status_page() {   # status_page PORTS_DIR
  local out=$1/.. url= serve shot=$root/build/demo/status-page.png
  heading "Native: the exporter, its JSON API and its live status page (about 20 s of readings)"
  show "vesmarin-cli serve --listen 127.0.0.1:0 --interval 1"
  "$cli" serve --listen 127.0.0.1:0 --interval 1 > "$out/serve.out" 2> "$out/serve.err" &
  serve=$!
  for _ in $(seq 100); do
    url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$out/serve.out") && break
    sleep 0.1
  done
  [ -n "$url" ] || { echo "demo: serve printed no address" >&2; kill -TERM $serve; wait $serve; return 1; }
  sleep 20   # a sparkline needs readings
  show "curl ${url}api/v1/modems   (the LTE stick; its history cut to two readings)"
  curl -s "${url}api/v1/modems" | python3 -c '
import json, sys
modem = next(m for m in json.load(sys.stdin) if m["technology"] == "LTE")
modem["history"] = modem["history"][-2:]
print(json.dumps(modem, indent=1, ensure_ascii=False))'
  if command -v chromium-headless-shell >/dev/null; then
    mkdir -p "$(dirname "$shot")"
    # --no-sandbox: as root, as CI runs, the browser's sandbox cannot start.
    chromium-headless-shell --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1280,960 \
      --screenshot="$shot" "$url" > /dev/null 2>&1 && echo "screenshot: $shot"
  else
    echo "(no chromium-headless-shell for the page's screenshot: scripts/install-deps.sh installs it)"
  fi
  kill -TERM $serve
  wait $serve
}

wine_part() {
  local wine=("$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix")
  show "wine vesmarin-cli.exe scan"
  "${wine[@]}" -- "$wincli" scan
  show "wine vesmarin-cli.exe info COM5"
  "${wine[@]}" -- "$wincli" info COM5
  show "wine vesmarin-cli.exe watch --count 5 --interval 0.5 COM7"
  "${wine[@]}" -- "$wincli" watch --count 5 --interval 0.5 COM7
  show "wine vesmarin-cli.exe cell COM8"
  "${wine[@]}" -- "$wincli" cell COM8
  # The Wine server holds the ptys: it goes first, then the simulator.
  "${wine[@]}" --kill
  return 0
}

case "${2:-}" in
  --native-part) native_part "$3"; exit ;;
  --wine-part) wine_part; exit ;;
esac

work=$(mktemp -d)
cleanup() {
  [ -d "$prefix" ] && "$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" --kill
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/ports" "$work/logs"

heading "Simulated modems: COM5 = full-stick.profile, COM9 = old-stick.profile, COM7 = drifting-stick.profile, COM8 = lte-drifting.profile, COM10 = endc-module.profile"
"$sim" --ports "$work/ports" --log "$work/logs" "${modems[@]}" -- "$0" "$arch" --native-part "$work/ports" ||
  { echo "demo: the simulated modems did not run" >&2; exit 1; }

heading "Windows build ($arch) under Wine"
if [ "$arch" = win64 ]; then
  echo "(this machine cannot execute 32-bit code, so the 64-bit build of the same sources runs;"
  echo " the 32-bit program is at build/win32/vesmarin-cli.exe)"
fi
"$root/scripts/wine.sh" --arch "$arch" --prefix "$prefix" --init
"$sim" --ports "$prefix/dosdevices" --log "$work/logs" "${modems[@]}" -- "$0" "$arch" --wine-part ||
  { echo "demo: the simulated modems did not run" >&2; exit 1; }

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
