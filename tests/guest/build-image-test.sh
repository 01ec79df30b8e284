#!/usr/bin/env bash
# The guest image's build when its package source fails: a clear message and exit status, no
# hang, nothing half-built left in the cache, and a second build at the same time waits for the
# first instead of building beside it. Images unused for two weeks are pruned on the way. Skipped (77) where debootstrap is not installed.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v debootstrap >/dev/null || command -v /usr/sbin/debootstrap >/dev/null || exit 77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Images of other recipes: one unused for three weeks, one used a day ago.
mkdir -p "$work/cache/i386-guest-old" "$work/cache/i386-guest-recent"
touch -d '21 days ago' "$work/cache/i386-guest-old/ok"
touch -d '30 days ago' "$work/cache/i386-guest-recent/ok"
touch -d '1 day ago' "$work/cache/i386-guest-recent/used"

# A source that refuses every connection (the discard port on this machine).
build() {
  VESMARIN_GUEST_MIRROR=http://127.0.0.1:9/debian timeout 120 \
    "$root/scripts/guest/build-image.sh" --cache "$work/cache" >"$work/out.$1" 2>"$work/err.$1"
  echo $? >"$work/status.$1"
}
build 1 &
build 2 &
wait
for n in 1 2; do
  status=$(cat "$work/status.$n")
  [ "$status" = 4 ] || fail "run $n: status $status, not 4: $(cat "$work/err.$n")"
  grep -q 'debootstrap failed (package source http://127.0.0.1:9/debian)' "$work/err.$n" ||
    fail "run $n: no message naming the source: $(cat "$work/err.$n")"
  grep -q "its log and the guest's console: $work/cache/i386-guest-failed.log" "$work/err.$n" ||
    fail "run $n: the kept log is not named"
  [ -s "$work/out.$n" ] && fail "run $n printed an image folder: $(cat "$work/out.$n")"
done
grep -q 'another run is building the image; waiting for it' "$work/err.1" "$work/err.2" ||
  fail "the two runs did not take turns"
left=$(cd "$work/cache" && ls -A | grep -v -e '^debs$' -e '^i386-guest.lock$' -e '^i386-guest-failed.log$')
[ "$left" = i386-guest-recent ] || fail "in the cache, besides the recently used image: $left"

[ $failures -eq 0 ] && echo "build-image.sh: a failing package source is reported, nothing is left"
exit $((failures > 0))
