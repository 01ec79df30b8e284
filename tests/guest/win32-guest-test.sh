#!/usr/bin/env bash
# The host side of scripts/win32-guest.sh against a stand-in for qemu (stub-qemu.sh): what
# comes back (output, exit status), each failure's status and message, the time limit, and
# that nothing is left behind (processes, simulator, temporary files), also on interrupt.
#   win32-guest-test.sh MODEMSIM
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
modemsim=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/image" "$work/tmp"
ln -s "$root/tests/guest/stub-qemu.sh" "$work/bin/qemu-system-i386"
: >"$work/image/root.img"
export VESMARIN_GUEST_IMAGE=$work/image TMPDIR=$work/tmp
guest=$root/scripts/win32-guest.sh
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# guest_run MODE ARGS...: runs win32-guest.sh with the stub; sets out, err, status.
guest_run() {
  local mode=$1
  shift
  STUB_GUEST=$mode PATH="$work/bin:$PATH" "$guest" "$@" >"$work/out" 2>"$work/err"
  status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}
expect_clean() {
  local left
  left=$(ls -A "$work/tmp")
  [ -z "$left" ] || fail "$1: left in TMPDIR: $left"
  rm -rf "${work:?}/tmp/"*
  if pgrep -f "$work/bin/qemu-system-i386" >/dev/null; then fail "$1: a qemu stayed"; fi
  if pgrep -f "$work/tmp/vesmarin-guest-modems" >/dev/null; then fail "$1: a simulator stayed"; fi
}

# What the command prints and returns is the script's own, stdout and stderr apart.
guest_run run -- 'echo "to out"; echo "to err" >&2; pwd; exit 7'
[ "$status" = 7 ] || fail "exit status: $status, not 7"
[ "$out" = "to out
$root" ] || fail "stdout: '$out'"
grep -qx 'to err' <<<"$err" || fail "stderr: '$err'"
expect_clean "a normal run"

# A command given as several words is one command line, as with ssh.
guest_run run -- printf '%s-' a b
[ "$status" = 0 ] && [ "$out" = "a-b-" ] || fail "several words: status $status, '$out'"

# Failures: each says what failed, names the console log, keeps it, and is never a pass.
while read -r mode expected_status expected_text; do
  guest_run "$mode" --timeout 4 -- true
  [ "$status" = "$expected_status" ] || fail "$mode: status $status, not $expected_status"
  grep -q "$expected_text" <<<"$err" || fail "$mode: no '$expected_text' in: $err"
  console=$(grep -o "$root/build/guest/console-[^ )]*\.log" <<<"$err" | head -n 1)
  [ -n "$console" ] && [ -s "$console" ] || fail "$mode: the console log is not named or kept: $err"
  rm -f "$console" "$console.session"
  expect_clean "$mode"
done <<'CASES'
hang 124 did not finish within 4 s
hang 124 stub guest stuck at step 7
panic 125 stopped before the command ended
panic 125 Unable to mount root fs
oops 125 kernel reported a fault
setup 125 could not prepare the run: Wine did not start
CASES

# No qemu: a clear message, no hang. The PATH holds only the tools the script needs first.
mkdir -p "$work/noqemu"
for t in bash dirname; do ln -sf "$(command -v $t)" "$work/noqemu/$t"; done
PATH=$work/noqemu "$guest" -- true >"$work/out" 2>"$work/err"
status=$?
[ "$status" = 125 ] && grep -q 'qemu-system-i386 is not installed' "$work/err" ||
  fail "no qemu: status $status, $(cat "$work/err")"
expect_clean "no qemu"

# Interrupted while the guest runs: qemu and the simulator go, no temporary file stays.
# Job control gives the run a process group of its own (and SIGINT is not ignored in it), so
# the interrupt reaches it as a terminal's Ctrl-C would: the whole group.
set -m
VESMARIN_MODEMSIM=$modemsim STUB_GUEST=hang PATH="$work/bin:$PATH" "$guest" \
  --modem 5=tools/modemsim/profiles/full-stick.profile -- true >"$work/out" 2>"$work/err" &
pid=$!
set +m
for _ in $(seq 200); do
  pgrep -f "$work/bin/qemu-system-i386" >/dev/null && break
  sleep 0.1
done
kill -INT -- -"$pid"
wait "$pid"
status=$?
[ "$status" = 130 ] || fail "interrupt: status $status, not 130"
expect_clean "interrupt"
console=$(grep -o "$root/build/guest/console-[^ )]*\.log" "$work/err" | head -n 1)
[ -n "$console" ] || fail "interrupt: the console log is not named: $(cat "$work/err")"
rm -f "$console" "$console.session"

# Modems: each profile played by the host's simulator reaches qemu as a live pty, and the
# guest learns the numbers; the simulator is gone afterwards.
if [ -x "$modemsim" ]; then
  VESMARIN_MODEMSIM=$modemsim guest_run ports --modem 5=tools/modemsim/profiles/full-stick.profile \
    --modem 12=tools/modemsim/profiles/full-stick.profile -- true
  [ "$status" = 0 ] || fail "modems: status $status: $err"
  [ "$(grep -c '^port /dev/pts/' <<<"$out")" = 2 ] || fail "modems: the ptys: $out"
  grep -qx 'PORTS=(5 12)' <<<"$out" || fail "modems: the numbers: $out"
  expect_clean "modems"
fi

# Misuse is found before anything starts: without qemu and without an image (which would be
# built first otherwise), each form exits 2 with a usage message.
mkdir -p "$work/a-directory"
profile=tools/modemsim/profiles/full-stick.profile
while IFS='|' read -r name args; do
  eval "set -- $args"
  (cd "$root" && env -u VESMARIN_GUEST_IMAGE PATH=$work/noqemu "$guest" "$@") >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" = 2 ] && grep -q '^usage: win32-guest.sh' "$work/err" ||
    fail "misuse $name: status $status, $(cat "$work/err")"
  expect_clean "misuse $name"
done <<CASES
bad|--modem bad -- true
zero|--modem 0=$profile -- true
too large|--modem 300=$profile -- true
COM name|--modem COM5=$profile -- true
no profile|--modem 5= -- true
twice|--modem 5=$profile --modem 05=$profile -- true
missing profile|--modem 5=tools/modemsim/profiles/none.profile -- true
no value|--timeout
no value before --|--screenshot -- true
timeout 0|--timeout 0 -- true
timeout not a number|--timeout 1e3 -- true
timeout huge|--timeout 99999999999999999999 -- true
no command|--modem 5=$profile --
unknown option|--fast -- true
CASES

# The screenshot: saved when the guest made one; a target that cannot be written (found
# before the boot) or a guest that made none fails with 123, never with success.
guest_run shot --screenshot "$work/shot.png" -- true
[ "$status" = 0 ] && [ "$(cat "$work/shot.png" 2>/dev/null)" = "a picture" ] || fail "screenshot: status $status, $err"
for target in /dev/null/shot.png "$work/no-such-dir/shot.png" "$work/a-directory"; do
  guest_run shot --screenshot "$target" -- true
  [ "$status" = 123 ] && grep -q 'cannot be written' <<<"$err" || fail "screenshot to $target: status $status, $err"
done
guest_run run --screenshot "$work/none.png" -- true
[ "$status" = 123 ] && grep -q 'made no screenshot' <<<"$err" && [ ! -e "$work/none.png" ] ||
  fail "no screenshot made: status $status, $err"
guest_run run --screenshot "$work/none.png" -- 'exit 5'
[ "$status" = 5 ] || fail "no screenshot from a failed command: status $status, not 5"
expect_clean "screenshots"

if [ $failures -eq 0 ]; then echo "win32-guest.sh: all cases passed"; fi
exit $((failures > 0))
