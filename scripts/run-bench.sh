#!/usr/bin/env bash
# Speed and memory of the modem link against simulated modems (make bench).
#   run-bench.sh BUILD_DIR           the information run, the scan and peak memory
#   run-bench.sh BUILD_DIR --slow    only the total time-out of a silent port (about 66 s;
#                                    by hand, not in CI)
#   run-bench.sh BUILD_DIR --windows ARCH
#                                    also the window program's benchmarks under Wine (start-up,
#                                    hover, size; scripts/run-window-bench.sh) with build/ARCH,
#                                    the Windows build that runs here, and build/win32
#   (also: the scan with device facts against the plain scan, and watch's spacing and CPU
#   on a 3G and an LTE stick)
# BUILD_DIR is a native build with modemsim, vesmarin-cli and bench/vesmarin-bench. Goals are
# reported, not enforced: the exit status is 1 only when a measurement could not be made.
set -u

usage() { echo "usage: run-bench.sh BUILD_DIR [--slow | --windows ARCH]" >&2; exit 2; }
# The measurements against simulated modems run as the simulator's command: modemsim runs this
# script again with --against-modems once its ports are up.
against_modems=0
if [ "${2:-}" = --against-modems ]; then
  against_modems=1
  set -- "$1"
fi
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

full="$profiles/full-stick.profile"
old="$profiles/old-stick.profile"
lte="$profiles/lte-caret-stick.profile"
standards="$profiles/standards-module.profile"
endc="$profiles/endc-module.profile"

if [ "$against_modems" -eq 0 ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/ports" "$work/locks"
  export RUN_BENCH_WORK=$work
  # The port layer's lock files stay out of the system's /var/lock.
  export VESMARIN_PORTS="$work/ports" VESMARIN_LOCK_DIR="$work/locks"
  if [ "$slow" -eq 1 ]; then
    "$sim" --ports "$work/ports" 7="$profiles/silent.profile" -- timeout 200 "$bench" silent --port COM7
    exit $?
  fi
  status=0
  "$sim" --ports "$work/ports" 3="$full" 12="$old" 14="$lte" 15="$standards" 16="$endc" -- "$0" "$build" --against-modems || status=1
  if [ -n "$windows_arch" ]; then
    "$root/scripts/run-window-bench.sh" "$windows_arch" "$root/build/$windows_arch" \
      "$root/build/win32" || status=1
  fi
  exit $status
fi
work=$RUN_BENCH_WORK

status=0
echo "simulated modems: COM3 $(basename "$full"), COM12 $(basename "$old"), COM14 $(basename "$lte"), COM15 $(basename "$standards"), COM16 $(basename "$endc")"

timeout 300 "$bench" info --entry "E173 (COM3)" --profile "$full" --runs "$runs" || status=1
# cell: the caret family answers its first probe; the standards-only module costs every probe
# and both set-and-restore rounds.
timeout 300 "$bench" cell --port COM14 --profile "$lte" --runs "$runs" || status=1
timeout 300 "$bench" cell --port COM15 --profile "$standards" --runs "$runs" || status=1
# A 5G module on EN-DC: +C5GREG passed over, the serving cell's three lines and the carriers.
timeout 300 "$bench" cell --port COM16 --profile "$endc" --runs "$runs" || status=1
# The scan finds every simulated modem, so each one's probe counts in its floor.
timeout 300 "$bench" scan --profile "$full" --profile "$old" --profile "$lte" --profile "$standards" \
  --runs "$runs" || status=1

# scan with the device facts (--json names each port's device from sysfs and by-id) against
# the same scan that finds none (the lookup pointed at an empty tree), run in turn so that a
# change of load hits both alike; medians of 3 x $runs. Goal: at most 10 % slower. The facts
# come from a made-up tree that describes both simulated ports as interfaces of one stick.
empty_root=$work/no-sysfs
facts_root=$work/sysfs
mkdir -p "$empty_root" "$facts_root/sys/class/tty" "$facts_root/dev/serial/by-id"
stick=$facts_root/sys/devices/pci0000:00/usb1/1-2
mkdir -p "$stick"
printf 'f1e5\n' >"$stick/idVendor"; printf '0a17\n' >"$stick/idProduct"
printf 'Zentrawave\n' >"$stick/manufacturer"; printf 'ZW Mobile Broadband\n' >"$stick/product"
printf '0123456789ABCDEF\n' >"$stick/serial"
interface=0
for com in 3 12; do
  pty=$(readlink -f "$work/ports/com$com")
  port="$stick/1-2:1.$interface/ttyUSB$interface"
  mkdir -p "$port" "$facts_root/sys/class/tty/${pty##*/}"
  printf '%02d\n' "$interface" >"$stick/1-2:1.$interface/bInterfaceNumber"
  ln -s "$port" "$facts_root/sys/class/tty/${pty##*/}/device"
  ln -s "$pty" "$facts_root/dev/serial/by-id/usb-Zentrawave_ZW-if0$interface-port0"
  interface=$((interface + 2))
done
elapsed_ms() {   # elapsed_ms ARGS...: one vesmarin-cli run
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
if ! VESMARIN_SYSFS_ROOT="$facts_root" "$cli" scan --json | grep -q '"manufacturer": "Zentrawave"'; then
  echo "run-bench: the scan did not read the made-up device facts" >&2
  status=1
fi
: >"$work/plain-ms"
: >"$work/facts-ms"
for _ in $(seq $((runs * 3))); do
  elapsed_ms env VESMARIN_SYSFS_ROOT="$empty_root" "$cli" scan --json >>"$work/plain-ms"
  elapsed_ms env VESMARIN_SYSFS_ROOT="$facts_root" "$cli" scan --json >>"$work/facts-ms"
done
plain_ms=$(median <"$work/plain-ms")
facts_ms=$(median <"$work/facts-ms")
awk -v p="$plain_ms" -v f="$facts_ms" 'BEGIN {
  r = f / p; printf "scan with device facts: %d ms against %d ms without: x%.3f (goal <= x1.10: %s)\n",
  f, p, r, (r <= 1.10 ? "met" : "MISSED") }'

# watch: the spacing of its readings against the interval, and its CPU over the whole watch,
# on the 3G stick (+CSQ) and on the LTE stick (+CSQ and the caret family's ^HCSQ? each reading,
# its band and cell every tenth). 11 readings one second apart; the JSON times are taken as
# each reading starts.
watch_interval_ms=1000
watch_bench() {   # watch_bench PORT LABEL
  local port=$1 label=$2
  if ! /usr/bin/time -f "%U %S %e" -o "$work/watch-cpu" \
       "$cli" watch --json --count 11 --interval 1 "$port" >"$work/watch.json" 2>/dev/null; then
    echo "run-bench: vesmarin-cli watch $port failed" >&2
    status=1
    return
  fi
  sed -E 's/.*"time":"[0-9-]+T([0-9]+):([0-9]+):([0-9.]+)Z".*/\1 \2 \3/' "$work/watch.json" |
    awk -v goal="$watch_interval_ms" -v label="$label" '
      { t = ($1 * 3600 + $2 * 60 + $3) * 1000; if (NR > 1) { d = t - last; n++; sum += d;
        dev = d - goal; if (dev < 0) dev = -dev; if (dev > worst) worst = dev } last = t }
      END { mean = sum / n; printf "watch --interval 1 (%s): %d gaps, mean %.1f ms, worst %.1f ms off (goal within 5 %% = %d ms: %s)\n",
            label, n, mean, worst, goal * 0.05, (worst <= goal * 0.05 ? "met" : "MISSED") }'
  read -r user sys wall <"$work/watch-cpu"
  awk -v u="$user" -v s="$sys" -v w="$wall" -v label="$label" 'BEGIN {
    p = (u + s) / w * 100; printf "watch CPU (%s): %.2f s user + %.2f s system in %.2f s = %.2f %% (goal < 1 %%: %s)\n",
    label, u, s, w, p, (p < 1 ? "met" : "MISSED") }'
}
watch_bench COM3 "3G stick"
watch_bench COM14 "LTE stick"

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

# Many modems at once: info --all over 20 and the exporter over 30 simulated modems.
"$root/scripts/run-many-bench.sh" "$build" || status=1

exit $status
