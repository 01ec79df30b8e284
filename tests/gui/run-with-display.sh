#!/usr/bin/env bash
# Runs one command with a private virtual X display and removes the display afterwards.
#   run-with-display.sh [--screen WxHxDEPTH] [--] COMMAND ARGS...
# The X server picks a free display number itself (-displayfd), so any number of these can
# run side by side with each other and with a desktop. DISPLAY is set for the command only.
# The exit status is the command's; 125 when the display could not be started.
# Inside scripts/wine-suite.sh (VESMARIN_WINE_SUITE set) the suite's display serves instead:
# its Wine server's desktop lives there.
set -u
screen=1024x768x24
while [ $# -gt 0 ]; do
  case "$1" in
    --screen) screen=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: run-with-display.sh [--screen WxHxD] [--] COMMAND ARGS..." >&2; exit 2; }
if [ -n "${VESMARIN_WINE_SUITE:-}" ] && [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
command -v Xvfb >/dev/null || { echo "run-with-display: Xvfb is not installed" >&2; exit 125; }

work=$(mktemp -d)
xvfb_pid=
stop_display() {
  if [ -n "$xvfb_pid" ]; then
    kill -TERM "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap stop_display EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# -displayfd writes the chosen number once the server accepts connections. -nolisten tcp keeps
# the display private; -noreset keeps it alive between clients.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset \
  3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!

# A loaded machine can take a while to start the server: wait for it, not for a fixed time.
number=
for _ in $(seq 600); do
  number=$(head -n 1 "$work/display" 2>/dev/null)
  [ -n "$number" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    break
  fi
  sleep 0.1
done
if [ -z "$number" ]; then
  echo "run-with-display: the X server did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 125
fi

DISPLAY=":$number" "$@"
status=$?
exit $status
