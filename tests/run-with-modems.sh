#!/usr/bin/env bash
# Runs one test executable against simulated modems.
#   run-with-modems.sh [--wine ARCH --prefix DIR] --modemsim PATH --layout FILE --log-dir DIR -- EXE ARGS...
# The layout file lists "N profile" lines (profile paths relative to the repository). Natively
# the ports live in a private directory named by VESMARIN_PORTS; under Wine they are linked
# into the prefix's dosdevices, where \\.\COMn finds them.
# The test finds the modems' transcripts (comN.log) in the folder VESMARIN_MODEM_LOGS names.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
wine_arch= prefix= modemsim= layout= log_dir=
while [ $# -gt 0 ]; do
  case "$1" in
    --wine) wine_arch=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    --modemsim) modemsim=$2; shift 2 ;;
    --layout) layout=$2; shift 2 ;;
    --log-dir) log_dir=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "run-with-modems: unknown option $1" >&2; exit 2 ;;
  esac
done
[ -x "$modemsim" ] || { echo "run-with-modems: no simulator at $modemsim" >&2; exit 2; }
[ -f "$layout" ] || { echo "run-with-modems: no layout $layout" >&2; exit 2; }

modems=()
while read -r number profile _; do
  case "$number" in ''|'#'*) continue ;; esac
  modems+=("$number=$root/$profile")
done < "$layout"

work=$(mktemp -d)
if [ -n "$wine_arch" ]; then
  ports="$prefix/dosdevices"
else
  ports="$work/ports"
  mkdir -p "$ports"
fi
mkdir -p "$log_dir"
log_dir=$(cd "$log_dir" && pwd)
rm -f "$log_dir"/*.log

mkfifo "$work/ready"
"$modemsim" --ports "$ports" --log "$log_dir" "${modems[@]}" > "$work/ready" &
sim=$!
cleanup() {
  if [ -n "$wine_arch" ]; then
    # The Wine server holds the ptys; it must go before their masters close.
    "$root/scripts/wine.sh" --arch "$wine_arch" --prefix "$prefix" --kill
  fi
  kill -TERM "$sim" 2>/dev/null
  wait "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if ! timeout 20 head -n 1 "$work/ready" | grep -qx ready; then
  echo "run-with-modems: the simulator did not start" >&2
  exit 1
fi

# Tests that check what a modem received read its transcript from here.
export VESMARIN_MODEM_LOGS="$log_dir"
if [ -n "$wine_arch" ]; then
  "$root/scripts/wine.sh" --arch "$wine_arch" --prefix "$prefix" -- "$@"
else
  VESMARIN_PORTS="$ports" "$@"
fi
