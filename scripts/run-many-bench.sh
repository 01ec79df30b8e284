#!/usr/bin/env bash
# Many modems at once (part of make bench): info --all over 20 simulated modems against one
# modem's information run plus one probe, and the exporter over 30 simulated modems: scrape
# latency p99 (also beside 900 hostile clients), memory, CPU between rounds and the spacing of
# the readings; and the heap of 30 modems' full kept history with the cost of one
# /api/v1/modems answer over it.
#   run-many-bench.sh BUILD_DIR
# Goals are reported, not enforced: the exit status is 1 only when a measurement failed.
set -u
build=$(cd "$1" 2>/dev/null && pwd) || { echo "run-many-bench: no build directory $1" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
sim="$build/modemsim"
cli="$build/vesmarin-cli"
full="$root/tools/modemsim/profiles/full-stick.profile"
# shellcheck source=scripts/modems.sh
. "$root/scripts/modems.sh"
work=$(mktemp -d)
serve_pid=
cleanup() {
  [ -n "$serve_pid" ] && kill -TERM "$serve_pid" 2>/dev/null && wait "$serve_pid" 2>/dev/null
  modems_stop
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/ports" "$work/locks"
export VESMARIN_PORTS="$work/ports" VESMARIN_LOCK_DIR="$work/locks"

# COUNT sticks told apart by their IMEIs, on COM1..COUNT of one simulator.
start_modems() {
  local modems=()
  for n in $(seq 1 "$1"); do
    sed "s/351111111111111/3511111111111$(printf %02d "$n")/g" "$full" >"$work/stick$n.profile"
    modems+=("$n=$work/stick$n.profile")
  done
  modems_start --sim "$sim" --ports "$work/ports" --stderr "$work/sim.err" "${modems[@]}" || exit 1
}
stop_modems() { modems_stop; rm -f "$work/ports"/com*; }
elapsed_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
status=0

start_modems 20
if [ "$("$cli" info --all --json | grep -c '"imei": "3511')" -ne 20 ]; then
  echo "run-many-bench: info --all did not read 20 modems" >&2
  status=1
fi
: >"$work/all-ms"; : >"$work/one-ms"
for _ in 1 2 3; do
  elapsed_ms "$cli" info --all >>"$work/all-ms"
  echo $(( $(elapsed_ms "$cli" info COM1) + $(elapsed_ms "$cli" at COM1 AT+CGMM) )) >>"$work/one-ms"
done
all_ms=$(median <"$work/all-ms")
one_ms=$(median <"$work/one-ms")
awk -v a="$all_ms" -v o="$one_ms" 'BEGIN { r = a / o;
  printf "info --all over 20 modems: %d ms against %d ms for one modem'\''s info plus one probe: x%.2f (goal <= x1.30: %s)\n",
  a, o, r, (r <= 1.30 ? "met" : "MISSED") }'
/usr/bin/time -f %M -o "$work/rss" "$cli" info --all >/dev/null 2>&1
echo "info --all over 20 modems: peak memory of the tool $(tail -n 1 "$work/rss") KiB (each modem's reading process runs apart)"
stop_modems

start_modems 30
"$cli" serve --listen 127.0.0.1:0 --interval 5 >"$work/serve.out" 2>/dev/null &
serve_pid=$!
for _ in $(seq 100); do grep -q listening "$work/serve.out" && break; sleep 0.1; done
port=$(grep -o '127\.0\.0\.1:[0-9]*' "$work/serve.out" | cut -d: -f2)
python3 - "$port" "$serve_pid" <<'PY' || status=1
import http.client, os, sys, time
port, pid = int(sys.argv[1]), int(sys.argv[2])
ticks = os.sysconf("SC_CLK_TCK")

def scrape(connection):
    connection.request("GET", "/metrics")
    response = connection.getresponse()
    return response.read().decode()

def cpu_seconds():
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks   # utime, stime of the exporter itself

connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
deadline = time.monotonic() + 120
while time.monotonic() < deadline:
    text = scrape(connection)
    if sum(1 for line in text.splitlines() if line.startswith("vesmarin_up{") and line.endswith(" 1")) == 30:
        break
    time.sleep(0.2)
else:
    print("run-many-bench: the exporter did not see 30 modems up", file=sys.stderr)
    sys.exit(1)
latencies = []
for _ in range(2000):
    start = time.perf_counter()
    scrape(connection)
    latencies.append((time.perf_counter() - start) * 1000)
latencies.sort()
p99 = latencies[int(len(latencies) * 0.99) - 1]
print(f"exporter over 30 modems: scrape p99 {p99:.2f} ms, median {latencies[len(latencies) // 2]:.2f} ms "
      f"(goal p99 <= 5 ms: {'met' if p99 <= 5 else 'MISSED'})")
# Idle: 30 s without scrapes, the readings going on; the exporter's own CPU share (the reading
# processes are apart and counted by the rounds' duration).
before, started = cpu_seconds(), time.monotonic()
time.sleep(30)
share = (cpu_seconds() - before) / (time.monotonic() - started) * 100
print(f"exporter CPU over 30 s idle: {share:.2f} % (goal < 1 %: {'met' if share < 1 else 'MISSED'})")
text = scrape(http.client.HTTPConnection("127.0.0.1", port, timeout=10))   # the idle one was closed
ages = [float(l.rsplit(" ", 1)[1]) for l in text.splitlines() if l.startswith("vesmarin_last_good_reading_age_seconds{")]
rounds = [l for l in text.splitlines() if l.startswith("vesmarin_round_duration_seconds ")]
print(f"exporter readings at --interval 5: oldest of {len(ages)} last good readings {max(ages):.1f} s old, "
      f"last round {rounds[0].split()[1]} s (goal every modem read once per interval: "
      f"{'met' if len(ages) == 30 and max(ages) <= 5 + 1 else 'MISSED'})")
rss = [l for l in open(f"/proc/{pid}/status") if l.startswith("VmHWM")][0].split()[1]
print(f"exporter peak memory: {int(rss) / 1024:.1f} MiB (goal <= 20 MiB: {'met' if int(rss) <= 20 * 1024 else 'MISSED'})")
PY
# The same exporter beside hostile clients: each normal scrape within 1 s while 200 clients
# trickle their headers and 700 sit idle.
if python3 "$root/tests/cli/http_load.py" crowd "$port" 200 700 >"$work/crowd.out"; then verdict=met; else verdict=MISSED; fi
echo "exporter beside 200 trickling and 700 idle clients: $(sed 's/.*; //' "$work/crowd.out") (goal each within 1 s: $verdict)"
"$build/bench/vesmarin-bench" history || status=1
exit $status
