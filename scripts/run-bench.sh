#!/usr/bin/env bash
# Speed and memory of the modem link against simulated modems (make bench).
#   run-bench.sh BUILD_DIR           the information run, the scan and peak memory
#   run-bench.sh BUILD_DIR --slow    only the total time-out of a silent port (about 66 s;
#                                    by hand, not in CI)
#   run-bench.sh BUILD_DIR --windows ARCH
#                                    also the window program's benchmarks under Wine (start-up,
#                                    hover, size; scripts/run-window-bench.sh) with build/ARCH,
#                                    the Windows build that runs here, and build/win32
# BUILD_DIR is a native build with modemsim, vesmarin-cli and bench/vesmarin-bench. Goals are
# reported, not enforced: the exit status is 1 only when a measurement could not be made.
set -u

usage() { echo "usage: run-bench.sh BUILD_DIR [--slow | --windows ARCH]" >&2; exit 2; }
[ $# -ge 1 ] && [ $# -le 3 ] || usage
slow=0
windows_arch=
if [ $# -eq 2 ]; then
  [ "$2" = "--slow" ] || usage
  slow=1
elif [ $# -eq 3 ]; then
  [ "$2" = "--windows" ] || usage
  windows_arch=$3
fi
build=$(cd "$1" 2>/dev/null && pwd) || { echo "run-bench: no build directory $1" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
sim="$build/modemsim"
cli="$build/vesmarin-cli"
bench="$build/bench/vesmarin-bench"
profiles="$root/tools/modemsim/profiles"
runs=5
memory_goal_kib=$((5 * 1024))

for program in "$sim" "$cli" "$bench"; do
  [ -x "$program" ] || { echo "run-bench: $program is missing (make native)" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# start_modems N=PROFILE...: the simulator on a private ports directory, until it says ready.
start_modems() {
  mkdir -p "$work/ports"
  "$sim" --ports "$work/ports" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 200); do
    grep -qx ready "$work/sim.out" 2>/dev/null && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "run-bench: the simulator did not start: $(cat "$work/sim.err")" >&2
  exit 1
}
export VESMARIN_PORTS="$work/ports"
# The port layer's lock files stay out of the system's /var/lock.
mkdir -p "$work/locks"
export VESMARIN_LOCK_DIR="$work/locks"

if [ "$slow" -eq 1 ]; then
  start_modems 7="$profiles/silent.profile"
  timeout 200 "$bench" silent --port COM7
  exit $?
fi

status=0
full="$profiles/full-stick.profile"
old="$profiles/old-stick.profile"
start_modems 3="$full" 12="$old"
echo "simulated modems: COM3 $(basename "$full"), COM12 $(basename "$old")"

timeout 300 "$bench" info --entry "E173 (COM3)" --profile "$full" --runs "$runs" || status=1
timeout 300 "$bench" scan --profile "$full" --profile "$old" --runs "$runs" || status=1

# peak_memory LABEL GOAL_KIB ARGS...: maximum resident set of one vesmarin-cli run.
peak_memory() {
  local label=$1 goal=$2
  shift 2
  if ! timeout 300 /usr/bin/time -f %M -o "$work/rss" "$cli" "$@" >/dev/null; then
    echo "run-bench: vesmarin-cli $* failed" >&2
    status=1
    return
  fi
  local kib
  kib=$(tail -n 1 "$work/rss")
  if [ -n "$goal" ]; then
    local verdict=met
    [ "$kib" -lt "$goal" ] || verdict=MISSED
    awk -v l="$label" -v k="$kib" -v g=$((goal / 1024)) -v v="$verdict" \
      'BEGIN { printf "%s: %d KiB = %.2f MiB (goal < %d MiB: %s)\n", l, k, k / 1024, g, v }'
  else
    awk -v l="$label" -v k="$kib" 'BEGIN { printf "%s: %d KiB = %.2f MiB\n", l, k, k / 1024 }'
  fi
}
peak_memory "peak memory of vesmarin-cli info COM3" "$memory_goal_kib" info COM3
peak_memory "peak memory of vesmarin-cli scan" "" scan

if [ -n "$windows_arch" ]; then
  "$root/scripts/run-window-bench.sh" "$windows_arch" "$root/build/$windows_arch" \
    "$root/build/win32" || status=1
fi

exit $status
