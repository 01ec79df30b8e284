#!/usr/bin/env bash
# Runs one test executable against simulated modems.
#   run-with-modems.sh [--wine ARCH --prefix DIR] --modemsim PATH --layout FILE --log-dir DIR -- EXE ARGS...
# The layout file lists "N profile" lines (profile paths relative to the repository). Natively
# the ports live in a private directory named by VESMARIN_PORTS, and the port locks in one
# named by VESMARIN_LOCK_DIR; under Wine the ports are linked into the prefix's dosdevices,
# where \\.\COMn finds them.
# The test finds the modems' transcripts (comN.log) in the folder VESMARIN_MODEM_LOGS names.
# The simulator runs the test (modemsim -- COMMAND) and stops the modems when it ends; the
# test's exit status is this script's.
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
  # A run that was killed (a test's time-out) leaves its links behind, pointing at ptys that
  # other programs may own by now; a scan would find their modems.
  find "$ports" -maxdepth 1 -name 'com*' -type l -lname '/dev/pts/*' -delete 2>/dev/null
else
  ports="$work/ports"
  mkdir -p "$ports"
  # The port layer's UUCP lock files go here rather than into the system's /var/lock.
  mkdir -p "$work/locks"
fi
mkdir -p "$log_dir"
log_dir=$(cd "$log_dir" && pwd)
rm -f "$log_dir"/*.log

trap 'rm -rf "$work"' EXIT

# The simulator runs the test once its ports are up and ends with it, the test's status its own.
export VESMARIN_MODEM_LOGS="$log_dir"   # tests that check what a modem received read it here
if [ -n "$wine_arch" ]; then
  # The Wine server holds the ptys: it must go before the simulator closes their masters.
  "$modemsim" --ports "$ports" --log "$log_dir" "${modems[@]}" -- bash -c '
    wine_sh=$0 arch=$1 prefix=$2; shift 2
    "$@"; status=$?
    "$wine_sh" --arch "$arch" --prefix "$prefix" --kill
    exit $status' "$root/scripts/wine.sh" "$wine_arch" "$prefix" \
    "$root/scripts/wine.sh" --arch "$wine_arch" --prefix "$prefix" -- "$@"
else
  # sysfs is read under an empty tree unless a test makes its own: no test depends on the USB
  # devices of the machine it runs on.
  mkdir -p "$work/sysfs"
  "$modemsim" --ports "$ports" --log "$log_dir" "${modems[@]}" -- \
    env VESMARIN_PORTS="$ports" VESMARIN_LOCK_DIR="$work/locks" VESMARIN_SYSFS_ROOT="$work/sysfs" "$@"
fi
