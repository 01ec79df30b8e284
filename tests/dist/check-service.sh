#!/usr/bin/env bash
# The exporter's service unit, checked offline with systemd-analyze:
#   check-service.sh exposure UNIT        its overall exposure is at most 1.5;
#   check-service.sh syscalls UNIT LIST   every system call and socket family in LIST (what
#                                         scripts/record-exporter-syscalls.sh recorded) is
#                                         allowed by the unit's SystemCallFilter= and
#                                         RestrictAddressFamilies=, so the filter never
#                                         refuses the exporter a call it makes.
set -euo pipefail
mode=$1
unit=$2
fail() { echo "check-service: $*" >&2; exit 1; }

if [ "$mode" = exposure ]; then
  # The analysis counts exposure in tenths of its 0-10 scale; --threshold takes the same.
  report=$(systemd-analyze security --offline=yes --threshold=15 "$unit" 2>&1) && status=0 || status=$?
  level=$(sed -n 's/^→ Overall exposure level for [^:]*: \([0-9.]*\) .*/\1/p' <<<"$report")
  [ -n "$level" ] || fail "no overall exposure in: $report"
  [ "$status" -eq 0 ] || fail "overall exposure $level, above 1.5: $(grep '^✗' <<<"$report")"
  echo "check-service: overall exposure $level"
  exit 0
fi

[ "$mode" = syscalls ] || fail "unknown mode $mode"
list=$3
declare -A allowed=()
expand() {   # @SET or a call -> its calls, one a line, nested sets followed
  if [[ $1 != @* ]]; then
    echo "$1"
    return
  fi
  local entry
  for entry in $(systemd-analyze syscall-filter "$1" | sed -n '2,$s/^ \+\([@a-z_0-9-]\+\)$/\1/p'); do
    expand "$entry"
  done
}
# The lines in order: the first one without ~ makes it an allow list, later lines add to it,
# lines with ~ take away from it.
filters=$(sed -n 's/^SystemCallFilter=//p' "$unit")
[ -n "$filters" ] || fail "$unit has no SystemCallFilter="
[[ $(head -n 1 <<<"$filters") != '~'* ]] || fail "$unit's filter is no allow list"
while read -r line; do
  deny=0
  if [[ $line == '~'* ]]; then
    deny=1
    line=${line#\~}
  fi
  for entry in $line; do
    for call in $(expand "$entry"); do
      if [ $deny -eq 1 ]; then unset "allowed[$call]"; else allowed[$call]=1; fi
    done
  done
done <<<"$filters"
families=" $(sed -n 's/^RestrictAddressFamilies=//p' "$unit" | tr '\n' ' ') "
[[ $families != *'~'* && $families =~ AF_ ]] || fail "$unit has no allow list of address families"

refused=()
calls=0
while read -r entry; do
  case $entry in
    ''|'#'*) continue ;;
    AF_*) [[ $families == *" $entry "* ]] || refused+=("family $entry") ;;
    *) calls=$((calls + 1)); [ -n "${allowed[$entry]:-}" ] || refused+=("$entry") ;;
  esac
done < "$list"
[ "$calls" -gt 20 ] || fail "$list holds only $calls calls: record it again"
[ ${#refused[@]} -eq 0 ] || fail "the filter of $unit refuses what the exporter does: ${refused[*]}"
echo "check-service: the filter allows all $calls recorded calls and the socket families"
