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
# status. 2: bad arguments (all checked before anything starts); 123: the screenshot could not
# be saved (the guest made none, or FILE cannot be written); 124: the time limit (default
# 600 s) ran out; 125: the guest could not run the command (qemu missing, no image, no boot):
# the message names the guest's console log.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
usage() {
  echo "win32-guest: $*" >&2
  echo "usage: win32-guest.sh [--modem N=PROFILE]... [--share DIR]... [--screenshot FILE] [--timeout SECONDS] [--screen WxHxD] -- COMMAND" >&2
  exit 2
}
arguments=("$@")
modems=() shares=() screenshot= limit=600 screen=1024x768x24
while [ $# -gt 0 ]; do
  case "$1" in
    --modem|--share|--screenshot|--timeout|--screen)
      [ $# -ge 2 ] || usage "$1 needs a value"
      case "$1" in
        --modem) modems+=("$2") ;;
        --share) shares+=("$(cd "$2" 2>/dev/null && pwd)") || usage "--share $2: not a directory" ;;
        --screenshot) screenshot=$2 ;;
        --timeout) limit=$2 ;;
        --screen) screen=$2 ;;
      esac
      shift 2 ;;
    --) shift; break ;;
    *) usage "unknown option $1" ;;
  esac
done
[ $# -gt 0 ] || usage "no COMMAND after --"
command="$*"
case "$limit" in ''|*[!0-9]*) usage "--timeout takes whole seconds, not '$limit'" ;; esac
[ ${#limit} -le 6 ] && [ "$((10#$limit))" -gt 0 ] || usage "--timeout must be from 1 to 999999 seconds"
limit=$((10#$limit))
case "$screen" in [1-9]*x[1-9]*x[1-9]*) ;; *) usage "--screen takes WIDTHxHEIGHTxDEPTH, not '$screen'" ;; esac
[ ${#modems[@]} -le 30 ] || usage "at most 30 --modem"
# Each --modem is N=PROFILE: N a decimal COM number from 1 to 255, given once; PROFILE a file
# (relative to the project root unless it is found from here).
seen=" " args=()
for m in "${modems[@]}"; do
  n=${m%%=*} profile=${m#*=}
  case "$m" in *=*) ;; *) usage "--modem takes N=PROFILE, not '$m'" ;; esac
  case "$n" in ''|*[!0-9]*) usage "--modem $m: N must be a decimal COM number" ;; esac
  [ ${#n} -le 3 ] && [ "$((10#$n))" -ge 1 ] && [ "$((10#$n))" -le 255 ] ||
    usage "--modem $m: N must be from 1 to 255"
  n=$((10#$n))
  case "$seen" in *" $n "*) usage "--modem $m: COM$n is given twice" ;; esac
  seen="$seen$n "
  [ -n "$profile" ] || usage "--modem $m: no PROFILE"
  case "$profile" in /*) ;; *) [ -f "$profile" ] || profile=$root/$profile ;; esac
  [ -f "$profile" ] && [ -r "$profile" ] || usage "--modem $m: no profile file $profile"
  args+=("$n=$profile")
done

# The screenshot's target must be writable before a guest is booted for it.
screenshot_failed() { echo "win32-guest: $*" >&2; exit 123; }
if [ -n "$screenshot" ]; then
  target_dir=$(dirname "$screenshot")
  if [ -d "$screenshot" ] || { [ -e "$screenshot" ] && [ ! -w "$screenshot" ]; } ||
     [ ! -d "$target_dir" ] || [ ! -w "$target_dir" ]; then
    screenshot_failed "--screenshot $screenshot cannot be written"
  fi
fi

fail() { echo "win32-guest: $*" >&2; exit 125; }
command -v qemu-system-i386 >/dev/null ||
  fail "qemu-system-i386 is not installed (scripts/install-deps.sh installs it)"

# VESMARIN_GUEST_IMAGE names a prepared image folder instead of the cached one.
image=${VESMARIN_GUEST_IMAGE:-}
if [ -z "$image" ]; then
  image=$("$root/scripts/guest/build-image.sh") || fail "the guest's image could not be built"
fi
[ -f "$image/root.img" ] || fail "no guest image in $image"

# The host's simulator plays the modems, their ports in a private folder, and runs the rest of
# this script (again, with WIN32_GUEST_PORTS naming that folder) as its command: qemu holds
# each pty open from then on, and the modems stop when the guest has.
ports=()
if [ ${#modems[@]} -gt 0 ] && [ -z "${WIN32_GUEST_PORTS:-}" ]; then
  sim=${VESMARIN_MODEMSIM:-$root/build/native/modemsim}
  [ -x "$sim" ] || fail "no simulator at $sim (make native builds it)"
  sim_dir=$(mktemp -d "${TMPDIR:-/tmp}/vesmarin-guest-modems.XXXXXX")
  mkdir -p "$sim_dir/ports" "$sim_dir/logs"
  trap 'rm -rf "$sim_dir"' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM HUP
  VESMARIN_GUEST_IMAGE=$image WIN32_GUEST_PORTS=$sim_dir/ports \
    "$sim" --ports "$sim_dir/ports" --log "$sim_dir/logs" "${args[@]}" -- "$0" "${arguments[@]}"
  status=$?
  [ -f "$sim_dir/started" ] || fail "the simulator did not start (exit $status)"
  exit $status
fi
[ -n "${WIN32_GUEST_PORTS:-}" ] && : >"$WIN32_GUEST_PORTS/../started"
# Failures keep the guest's console here; a run that ends normally leaves nothing.
log_dir=$root/build/guest
mkdir -p "$log_dir"
console=$log_dir/console-$(date +%Y%m%d-%H%M%S)-$$.log
run=$(mktemp -d "${TMPDIR:-/tmp}/vesmarin-guest.XXXXXX")
sim_dir= qemu_pid= tails=() port_numbers=() keep_console=0

cleanup() {
  local status=$?
  # A second interrupt (a group's and the simulator's passing it on) must not cut this short.
  trap '' INT TERM HUP
  trap - EXIT
  if [ -n "$qemu_pid" ]; then
    kill -TERM "$qemu_pid" 2>/dev/null
    wait "$qemu_pid" 2>/dev/null
  fi
  for t in "${tails[@]}"; do kill "$t" 2>/dev/null; wait "$t" 2>/dev/null; done
  rm -rf "$run"
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

for m in "${args[@]}"; do
  n=${m%%=*}
  ports+=(--port "com$n=$(readlink "$WIN32_GUEST_PORTS/com$n")")
  port_numbers+=("$n")
done

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

# A screenshot asked for and not saved fails a command that succeeded; a failed command keeps
# its own status.
shot_status=0
if [ -n "$screenshot" ] && [ -f "$run/status" ]; then
  if [ ! -s "$run/screenshot.png" ]; then
    echo "win32-guest: the guest made no screenshot" >&2
    shot_status=123
  elif ! cp "$run/screenshot.png" "$screenshot" 2>/dev/null; then
    echo "win32-guest: the screenshot could not be written to $screenshot" >&2
    shot_status=123
  fi
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
[ "$status" -eq 0 ] && status=$shot_status
exit "$status"
