#!/usr/bin/env bash
# Records the system calls and socket families that `vesmarin-cli serve`, its reading
# processes and its HTTP clients' requests really make, into tests/dist/exporter-syscalls.txt,
# which the test dist_service_syscalls holds against the service's filter
# (scripts/deb/vesmarin-exporter.service). Run it again after changing what the exporter
# does (its HTTP server, its readings, its discovery) and commit the list with the change.
#   record-exporter-syscalls.sh [VESMARIN-CLI [MODEMSIM]]   (default: the native build's)
# Needs strace and curl. Everything listens on and talks to 127.0.0.1 only.
#
# Two runs under strace -f, whose calls are merged:
#  1. against simulated modems (one radio family each, a 3G stick, a silent port): start-up
#     with its discovery and first information runs, readings every second, a modem plugged
#     in later (found by a rescan), scrapes of every page (also refused ones, and several
#     requests on one connection), a modem that stops answering, and the end by SIGTERM;
#  2. without simulated ports, so that discovery walks /dev and sysfs as on a real system
#     (modems of this machine, if any, are read as the exporter reads them: nothing is set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/native/vesmarin-cli}
modemsim=${2:-$root/build/native/modemsim}
out=$root/tests/dist/exporter-syscalls.txt
fail() { echo "record-exporter-syscalls: $*" >&2; exit 1; }
command -v strace >/dev/null || fail "strace is not installed (apt-get install strace)"
command -v curl >/dev/null || fail "curl is not installed"
[ -x "$cli" ] && [ -x "$modemsim" ] || fail "build first: make native (no $cli or $modemsim)"

work=$(mktemp -d)
sims=()
tracer=
# strace holds off ending signals while it runs a program: the program is ended instead.
# A process that has already ended is no failure here: under set -e a failed kill in the
# trap would turn a good recording's exit status into 1.
cleanup() {
  if [ -n "$tracer" ]; then kill -TERM $(ps -o pid= --ppid "$tracer") 2>/dev/null || true; fi
  for pid in "${sims[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/ports" "$work/locks" "$work/logs"
profiles=$root/tools/modemsim/profiles

start_modems() {   # N=PROFILE ...
  local ready=$work/ready${#sims[@]}
  mkfifo "$ready"
  "$modemsim" --ports "$work/ports" --log "$work/logs" "$@" > "$ready" 2>/dev/null &
  sims+=($!)
  timeout 20 head -n 1 "$ready" | grep -qx ready || fail "the simulator did not start ($*)"
}

# Starts serve under strace with the given options; sets tracer and address.
start_traced() {   # TRACE-FILE SERVE-OPTIONS...
  local trace=$1
  shift
  strace -f -qq -o "$trace" "$cli" serve --listen 127.0.0.1:0 "$@" > "$work/serve.out" 2> "$work/serve.err" &
  tracer=$!
  for _ in $(seq 300); do grep -q listening "$work/serve.out" 2>/dev/null && break; sleep 0.1; done
  address=$(grep -o '127\.0\.0\.1:[0-9]*' "$work/serve.out") || fail "serve printed no address: $(cat "$work/serve.err")"
}

# The exporter itself, not strace, gets the SIGTERM, as systemd sends it.
stop_traced() {
  local serve
  serve=$(ps -o pid= --ppid "$tracer" | tr -d ' ')
  [ -n "$serve" ] || fail "serve is not running under strace"
  kill -TERM "$serve"
  wait "$tracer" || fail "strace or serve failed: $(tail -n 3 "$work/serve.err")"
  tracer=
}

metrics() { curl -s --max-time 5 "http://$address/metrics"; }
wait_for() {   # WHAT SECONDS COMMAND...: until COMMAND succeeds
  local what=$1 seconds=$2
  shift 2
  for _ in $(seq $((seconds * 5))); do "$@" && return 0; sleep 0.2; done
  fail "no $what within $seconds s"
}
up_count() { [ "$(metrics | grep -c '^vesmarin_up{.*} 1$')" -eq "$1" ]; }
up_identities() { metrics | sed -n 's/^vesmarin_up{identity="\([^"]*\)"} 1$/\1/p' | sort; }
modem_down() { metrics | grep -q "^vesmarin_up{identity=\"$1\"} 0$"; }
rounds_at_least() { [ "$(metrics | sed -n 's/^vesmarin_rounds_total //p')" -ge "$1" ] 2>/dev/null; }

export VESMARIN_LOCK_DIR=$work/locks
export VESMARIN_PORTS=$work/ports
start_modems 1="$profiles/full-stick.profile" 2="$profiles/qeng-module-twoline.profile" \
  3="$profiles/cpsi-module.profile" 4="$profiles/umts-stick.profile" 5="$profiles/standards-module.profile" \
  6="$profiles/silent.profile"
start_traced "$work/trace.sim" --interval 1 --rescan 2 --timeout 10
wait_for "5 modems up" 120 up_count 5
up_identities > "$work/before"
start_modems 7="$profiles/lte-caret-stick.profile"
wait_for "the modem plugged in later" 60 up_count 6
curl -s --max-time 5 -o /dev/null "http://$address/" -o /dev/null "http://$address/metrics" \
  -o /dev/null "http://$address/api/v1/modems" -o /dev/null "http://$address/status.css" \
  -o /dev/null "http://$address/status.js" -o /dev/null "http://$address/no-such-page" ||
  fail "a scrape failed"
curl -s --max-time 5 -o /dev/null -X DELETE "http://$address/metrics" || fail "a refused request failed"
curl -s --max-time 5 -o /dev/null --head "http://$address/metrics" || fail "a HEAD request failed"
late=$(up_identities | comm -13 "$work/before" -)
[ -n "$late" ] || fail "the modem plugged in later is not in the exposition"
kill -TERM "${sims[1]}"
wait "${sims[1]}" 2>/dev/null || true
wait_for "the unplugged modem at 0" 60 modem_down "$late"
stop_traced

unset VESMARIN_PORTS
start_traced "$work/trace.system" --interval 1 --rescan 1 --timeout 10
wait_for "three reading rounds" 60 rounds_at_least 3
metrics > /dev/null
stop_traced

# A traced call starts its line as "PID name(" (finished or not); a socket names its family
# first. strace spells calls as the kernel's table does, as systemd's filter sets do.
arch=$(uname -m)
libc=$(getconf GNU_LIBC_VERSION)
{
  echo "# The system calls and socket families of vesmarin-cli serve, its reading processes and"
  echo "# scrapes, recorded by scripts/record-exporter-syscalls.sh ($arch, $libc)."
  echo "# One a line: a call's name, or a family as AF_NAME. Checked against the service's filter"
  echo "# by tests/dist/check-service.sh."
  cat "$work/trace.sim" "$work/trace.system" | sed -n 's/^[0-9]\+ \+\([a-z_0-9]\+\)(.*/\1/p' | LC_ALL=C sort -u
  cat "$work/trace.sim" "$work/trace.system" | grep -o 'socket\(pair\)\?(AF_[A-Z0-9]\+' | sed 's/.*(//' | LC_ALL=C sort -u
} > "$out.new"
mv "$out.new" "$out"
echo "record-exporter-syscalls: $(grep -vc '^#' "$out") entries in $out"
