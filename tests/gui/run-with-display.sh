#!/usr/bin/env bash
# Runs a command on a private headless X display: Xvfb is started on a free display number,
# and stopped by its process id however the command ends.
#   run-with-display.sh COMMAND ARGS...
set -u
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$fifo"' EXIT
if ! display=$(timeout 30 head -n 1 "$fifo") || [ -z "$display" ]; then
  echo "run-with-display: Xvfb did not start" >&2
  exit 1
fi
DISPLAY=:$display "$@"
