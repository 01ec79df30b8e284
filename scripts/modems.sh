# shellcheck shell=bash
# Simulated modems in the background, for scripts that start and stop them between steps
# (sourced). A script that runs one command against fixed modems uses
# `modemsim --ports DIR N=PROFILE... -- COMMAND` instead.
#
#   modems_start --sim PATH --ports DIR [--log DIR] [--stderr FILE] N=PROFILE...
#       starts the simulator and returns once its ports are up (MODEMS_PID); returns 1, with
#       the simulator's message on stderr, when it did not start within 60 s
#   modems_stop
#       stops it (SIGTERM) and waits until its links are gone; nothing when none runs

MODEMS_PID=

modems_start() {
  local sim= ports= log= err=/dev/null
  while [ $# -gt 0 ]; do
    case "$1" in
      --sim) sim=$2; shift 2 ;;
      --ports) ports=$2; shift 2 ;;
      --log) log=$2; shift 2 ;;
      --stderr) err=$2; shift 2 ;;
      *) break ;;
    esac
  done
  local fifo status=0
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/modems-ready.XXXXXX") && mkfifo "$fifo" || return 1
  # The simulator prints one line, "ready", once every port is up, and nothing else there.
  "$sim" --ports "$ports" ${log:+--log "$log"} "$@" >"$fifo" 2>"$err" &
  MODEMS_PID=$!
  if ! timeout 60 head -n 1 "$fifo" | grep -qx ready; then
    [ "$err" != /dev/null ] && cat "$err" >&2
    echo "the modem simulator did not start" >&2
    modems_stop
    status=1
  fi
  rm -f "$fifo"
  return $status
}

modems_stop() {
  [ -n "$MODEMS_PID" ] || return 0
  kill -TERM "$MODEMS_PID" 2>/dev/null
  wait "$MODEMS_PID" 2>/dev/null
  MODEMS_PID=
}
