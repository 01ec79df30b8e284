#!/usr/bin/env bash
# The exporter scraped by a real Prometheus server: 20 simulated modems, one simulator process
# each, and a silent port. Polls Prometheus's HTTP API, never sleeps a fixed time as a wait:
# 20 series of vesmarin_up at 1, none for the silent port; one simulator stopped, its modem
# at 0 and the other 19 unchanged; promtool accepts the exposition (a hostile model text
# included); bad requests refused; under 1,024 descriptors (what a service gets by default),
# 1,000 connections at once, 50 slow clients, and 200 trickling beside 700 idle ones survived
# with every scrape answered and the readings going on, none of them failing to start.
# Everything listens on and talks to 127.0.0.1 only.
#   prometheus-test.sh VESMARIN-CLI MODEMSIM
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=$1
modemsim=$2
fail() { echo "prometheus-test: $*" >&2; exit 1; }
# shellcheck source=scripts/modems.sh
. "$root/scripts/modems.sh"

work=$(mktemp -d)
pids=()
serve=
prom=
cleanup() {
  [ -n "$prom" ] && kill -TERM "$prom" 2>/dev/null
  [ -n "$serve" ] && kill -TERM "$serve" 2>/dev/null
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/ports" "$work/locks" "$work/logs" "$work/data"
export VESMARIN_PORTS=$work/ports VESMARIN_LOCK_DIR=$work/locks

# One simulator per modem, so that one can be stopped alone: 19 sticks told apart by their
# IMEIs, one with a hostile model text, and a silent port.
start_modem() {   # N PROFILE
  modems_start --sim "$modemsim" --ports "$work/ports" --log "$work/logs" "$1=$2" ||
    fail "simulator $1 did not start"
  pids[$1]=$MODEMS_PID
  MODEMS_PID=
}
for n in $(seq 1 19); do
  sed "s/351111111111111/3511111111111$(printf %02d "$n")/g" "$root/tools/modemsim/profiles/full-stick.profile" \
    > "$work/stick$n.profile"
  start_modem "$n" "$work/stick$n.profile"
done
start_modem 20 "$root/tests/cli/profiles/hostile-model.profile"
start_modem 21 "$root/tools/modemsim/profiles/silent.profile"

# Soft and hard limit both 1,024, so the exporter cannot raise its way out of the crowd below.
(ulimit -n 1024 && exec "$cli" serve --listen 127.0.0.1:0 --interval 1 --rescan 30) \
  > "$work/serve.out" 2> "$work/serve.err" &
serve=$!
for _ in $(seq 100); do grep -q listening "$work/serve.out" && break; sleep 0.1; done
address=$(grep -o '127\.0\.0\.1:[0-9]*' "$work/serve.out") || fail "serve printed no address"

free_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/prometheus.yml" <<YML
global:
  scrape_interval: 1s
  scrape_timeout: 1s
scrape_configs:
  - job_name: vesmarin
    static_configs:
      - targets: ['$address']
YML
prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address="127.0.0.1:$free_port" > "$work/prometheus.log" 2>&1 &
prom=$!
api=http://127.0.0.1:$free_port/api/v1/query

query() {   # PROMQL -> the first sample's value, or empty
  curl -s --max-time 5 --get --data-urlencode "query=$1" "$api" |
    python3 -c 'import json,sys; r=json.load(sys.stdin)["data"]["result"]; print(r[0]["value"][1] if r else "")' 2>/dev/null
}
wait_for() {   # PROMQL EXPECTED SECONDS
  local got=
  for _ in $(seq $(( $3 * 2 ))); do
    got=$(query "$1")
    [ "$got" = "$2" ] && return 0
    sleep 0.5
  done
  fail "$1 is '$got', expected $2 (within $3 s)"
}

wait_for 'count(vesmarin_up == 1)' 20 180
wait_for 'count(vesmarin_up)' 20 10
wait_for 'vesmarin_up{identity="imei:354444444444444"}' 1 10
echo "prometheus-test: 20 modems up, the silent port absent"

kill -TERM "${pids[7]}"
wait "${pids[7]}" 2>/dev/null
wait_for 'vesmarin_up{identity="imei:351111111111107"}' 0 60
wait_for 'count(vesmarin_up == 1)' 19 10
echo "prometheus-test: a stopped modem went to 0, the other 19 kept 1"

curl -s --max-time 5 "http://$address/metrics" > "$work/exposition.txt" || fail "no exposition"
promtool check metrics < "$work/exposition.txt" || fail "promtool rejects the exposition"
[ "$(curl -s -o /dev/null -w '%{http_code}' "http://$address/no-such-page")" = 404 ] || fail "no 404"
[ "$(curl -s -o /dev/null -w '%{http_code}' -X DELETE "http://$address/metrics")" = 405 ] || fail "no 405"

rounds_before=$(query 'vesmarin_rounds_total')
python3 "$root/tests/cli/http_load.py" many "${address#*:}" 1000 || fail "1,000 connections at once"
# Scrapes beside slow clients must be answered; the 1 s it should take is make bench's goal
# (scripts/run-many-bench.sh), since this test shares the machine with the other stages.
python3 "$root/tests/cli/http_load.py" --bound 10 slow "${address#*:}" 50 || fail "a scrape beside 50 slow clients"
python3 "$root/tests/cli/http_load.py" --bound 10 crowd "${address#*:}" 200 700 ||
  fail "a scrape beside 200 trickling and 700 idle clients"
curl -s --max-time 5 "http://$address/metrics" > "$work/after-load.txt" || fail "no exposition after the load"
rounds_after=$(sed -n 's/^vesmarin_rounds_total //p' "$work/after-load.txt")
[ "${rounds_after:-0}" -gt "${rounds_before:-0}" ] || fail "the readings stopped under load ($rounds_before, $rounds_after)"
[ "$(sed -n 's/^vesmarin_reading_start_failures_total //p' "$work/after-load.txt")" = 0 ] ||
  fail "connections took the readings' descriptors: $(grep start_failures "$work/after-load.txt")"
[ "$(grep -c '^vesmarin_up{.*} 1$' "$work/after-load.txt")" = 19 ] || fail "modems went down under HTTP load"

kill -TERM "$serve"
wait "$serve"
status=$?
serve=
[ "$status" -eq 0 ] || fail "serve ended with $status after SIGTERM"
! ls "$work/locks" | grep -q LCK || fail "lock files outlived the exporter: $(ls "$work/locks")"
echo "prometheus-test: passed"
