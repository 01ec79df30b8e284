#!/usr/bin/env bash
# Runs a shell command inside an emulated i386 PC, where 32-bit Wine runs the product's own
# 32-bit programs on machines that refuse 32-bit code.
#   win32-guest.sh [--modem N=PROFILE]... [--share DIR]... [--screenshot FILE]
#                  [--timeout SECONDS] [--screen WxHxD] -- COMMAND
# COMMAND runs with bash from the project root, which the guest sees at the same path and may
# write to, with WINEPREFIX (32-bit, prepared), DISPLAY (the guest's Xvfb) and the Wine server
# up. --modem N=PROFILE plays PROFILE with this machine's simulator (build/native/modemsim,
# or VESMARIN_MODEMSIM) and hands its port into the guest as the prefix's COMN. --share makes
# another host folder visible at its own path. COMMAND's stdout and stderr are this script's, and so is its exit
# status. 124: the time limit (default 600 s) ran out; 125: the guest could not run the
# command (qemu missing, no image, no boot): the message names the guest's console log.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
modems=() shares=() screenshot= limit=600 screen=1024x768x24
while [ $# -gt 0 ]; do
  case "$1" in
    --modem) modems+=("$2"); shift 2 ;;
    --share) shares+=("$(cd "$2" && pwd)") || exit 2; shift 2 ;;
    --screenshot) screenshot=$2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "win32-guest: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: win32-guest.sh [--modem N=PROFILE]... [--screenshot FILE] [--timeout S] -- COMMAND" >&2; exit 2; }
case "$limit" in ''|*[!0-9]*) echo "win32-guest: --timeout takes whole seconds" >&2; exit 2 ;; esac
command="$*"

fail() { echo "win32-guest: $*" >&2; exit 125; }
command -v qemu-system-i386 >/dev/null ||
  fail "qemu-system-i386 is not installed (scripts/install-deps.sh installs it)"

# Failures keep the guest's console here; a run that ends normally leaves nothing.
log_dir=$root/build/guest
mkdir -p "$log_dir"
console=$log_dir/console-$(date +%Y%m%d-%H%M%S)-$$.log
run=$(mktemp -d "${TMPDIR:-/tmp}/vesmarin-guest.XXXXXX")
sim_dir= sim_pid= qemu_pid= tails=() port_numbers=() keep_console=0

cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [ -n "$qemu_pid" ]; then
    kill -TERM "$qemu_pid" 2>/dev/null
    wait "$qemu_pid" 2>/dev/null
  fi
  for t in "${tails[@]}"; do kill "$t" 2>/dev/null; wait "$t" 2>/dev/null; done
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  rm -rf "$run" ${sim_dir:+"$sim_dir"}
  if [ $keep_console -eq 0 ]; then
    rm -f "$console"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'keep_console=1; echo "win32-guest: interrupted; the guest console: $console" >&2; exit 130' INT
trap 'keep_console=1; exit 143' TERM HUP

console_tail() {
  echo "--- the guest's console ($console), last lines:" >&2
  tail -n "${1:-25}" "$console" >&2 2>/dev/null
  if [ -s "$run/session.log" ]; then
    cp "$run/session.log" "$console.session" 2>/dev/null &&
      echo "--- the guest's session log: $console.session" >&2
  fi
}

# VESMARIN_GUEST_IMAGE names a prepared image folder instead of the cached one.
image=${VESMARIN_GUEST_IMAGE:-}
if [ -z "$image" ]; then
  image=$("$root/scripts/guest/build-image.sh") || fail "the guest's image could not be built"
fi
[ -f "$image/root.img" ] || fail "no guest image in $image"

# The host's simulator, its ports in a private folder; qemu holds each pty open from here on.
ports=()
if [ ${#modems[@]} -gt 0 ]; then
  sim=${VESMARIN_MODEMSIM:-$root/build/native/modemsim}
  [ -x "$sim" ] || fail "no simulator at $sim (make native builds it)"
  sim_dir=$(mktemp -d "${TMPDIR:-/tmp}/vesmarin-guest-modems.XXXXXX")
  mkdir -p "$sim_dir/ports" "$sim_dir/logs"
  args=()
  for m in "${modems[@]}"; do
    n=${m%%=*} profile=${m#*=}
    case "$profile" in /*) ;; *) [ -f "$profile" ] || profile=$root/$profile ;; esac
    args+=("$n=$profile")
  done
  mkfifo "$sim_dir/ready"
  "$sim" --ports "$sim_dir/ports" --log "$sim_dir/logs" "${args[@]}" >"$sim_dir/ready" &
  sim_pid=$!
  if ! timeout 20 head -n 1 "$sim_dir/ready" | grep -qx ready; then
    fail "the simulator did not start"
  fi
  for m in "${args[@]}"; do
    n=$((10#${m%%=*}))
    ports+=(--port "com$n=$(readlink "$sim_dir/ports/com$n")")
    port_numbers+=("$n")
  done
fi

# What the guest's session reads (scripts/guest/session.sh).
cp "$root/scripts/guest/session.sh" "$run/init.sh"
printf '%s\n' "$command" >"$run/command"
{
  printf 'PROJECT=%q\n' "$root"
  printf 'SHARES=(%s)\n' "$(printf '%q ' "$root" "${shares[@]}")"
  printf 'PORTS=(%s)\n' "${port_numbers[*]:-}"
  printf 'SCREEN=%q\n' "$screen"
  printf 'SCREENSHOT=%q\n' "${screenshot:+1}"
} >"$run/env"
: >"$run/out"
: >"$run/err"

share_args=(--share "$root")
for s in "${shares[@]}"; do share_args+=(--share "$s"); done
"$root/scripts/guest/qemu.sh" --image "$image" --run "$run" --console "$console" \
  "${share_args[@]}" "${ports[@]}" </dev/null >>"$console" 2>&1 &
qemu_pid=$!

# The command's output as it comes.
tail -n +1 -s 0.2 -f "$run/out" &
tails+=($!)
tail -n +1 -s 0.2 -f "$run/err" >&2 &
tails+=($!)

start=$SECONDS
while kill -0 "$qemu_pid" 2>/dev/null; do
  if [ $((SECONDS - start)) -ge "$limit" ]; then
    kill -TERM "$qemu_pid" 2>/dev/null
    wait "$qemu_pid" 2>/dev/null
    qemu_pid=
    sleep 0.5
    keep_console=1
    echo "win32-guest: the guest did not finish within $limit s; stopped" >&2
    console_tail 40
    exit 124
  fi
  sleep 0.5
done
wait "$qemu_pid"
qemu_status=$?
qemu_pid=
sleep 0.5   # the tails' last poll

if [ -n "$screenshot" ] && [ -s "$run/screenshot.png" ]; then
  cp "$run/screenshot.png" "$screenshot"
fi
if [ ! -f "$run/status" ]; then
  keep_console=1
  if [ -s "$run/setup-error" ]; then
    echo "win32-guest: the guest could not prepare the run: $(cat "$run/setup-error")" >&2
  elif [ $qemu_status -ne 0 ]; then
    echo "win32-guest: qemu failed (exit $qemu_status)" >&2
  else
    echo "win32-guest: the guest stopped before the command ended (no boot, or a crash)" >&2
  fi
  console_tail
  exit 125
fi
status=$(cat "$run/status")
# A kernel oops kills the process it hit; a command that survives one must not pass.
if grep -qE 'Oops|BUG:|general protection fault|Kernel panic' "$console"; then
  keep_console=1
  echo "win32-guest: the guest's kernel reported a fault during the run" >&2
  console_tail
  [ "$status" -eq 0 ] && status=125
fi
exit "$status"
