#!/bin/bash
# Inside the guest: the host's simulated modems that win32-guest.sh --modem handed in, as the
# 32-bit command-line tool sees them. A scan must list every one (a port lost on the way in,
# or two relays crossed, shows here), and an information run must read one whole.
#   host-modems-check.sh CLI_EXE N...    (each port plays tools/modemsim/profiles/full-stick.profile)
set -u
cli=$1
shift
failures=0
fail() { echo "FAIL: host modems: $*"; failures=$((failures + 1)); }
wine_cli() { LC_ALL=ru_RU.UTF-8 /usr/lib/wine/wine "$cli" "$@" </dev/null 2>&1 | tr -d '\r'; }

scan=$(wine_cli scan)
for n in "$@"; do
  grep -qx "E173 (COM$n)" <<<"$scan" || fail "the scan did not list COM$n: $scan"
done
[ "$(grep -c '^E173 (COM' <<<"$scan")" = $# ] || fail "the scan listed other modems: $scan"

info=$(wine_cli info "COM$1")
# The rows, not the shop's address that follows them.
rows=$(grep -v '^Купить код: ' <<<"$info" | grep -c .)
[ "$rows" = 29 ] || fail "info COM$1 printed $rows rows, not 29: $info"
for value in 351111111111111 250991234567890 'Zentra Mobile' 11.126.85.00.209; do
  grep -qF "$value" <<<"$info" || fail "info COM$1 lacks $value: $info"
done
[ $failures -eq 0 ] && echo "host modems: $# ports handed in, each found by a scan; COM$1 read whole"
exit $((failures > 0))
