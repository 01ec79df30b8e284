#!/usr/bin/env bash
# Closing the window ends the program by itself, promptly, with exit code 0: once with the
# caption's close box, once with Alt+F4. Both reach the default window procedure, which
# destroys the window; the shutdown then ends the process.
#   blackbox-close.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH [--artifacts DIR]
# Sourced, it defines close_scenario WAY (close-box or alt+F4): the checks on a running
# program whose first scan has ended.
set -u
# shellcheck source=tests/gui/gui-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/gui-session.sh"

# Generous for a loaded machine; the shutdown itself takes well under a second.
exit_limit=30

close_scenario() {
  local way=$1 started took
  gui_move "${GUI_NEUTRAL[@]}"
  gui_grab "$gui_artifacts/before-$way.png"
  started=$(date +%s%N)
  case "$way" in
    close-box) gui_click_window "${GUI_CLOSE_BOX[@]}" ;;
    alt+F4) gui_key alt+F4 ;;
  esac
  gui_wait_exit "$exit_limit" || gui_fail "$way: the program still runs $exit_limit s after the window was closed"
  took=$(( ($(date +%s%N) - started) / 1000000 ))
  [ "$GUI_EXIT_STATUS" = 0 ] || gui_fail "$way: exit code $GUI_EXIT_STATUS, not 0"
  gui_log "$way: ended with exit code 0, $took ms after the close"
  # No window of the program may be left behind.
  if xdotool search --onlyvisible --class "$(basename "$gui_exe")" >/dev/null 2>&1; then
    gui_fail "$way: a window of the program is still mapped after it ended"
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  gui_setup "$@"
  gui_start_modems 5=tools/modemsim/profiles/full-stick.profile
  for way in close-box alt+F4; do
    gui_start_until_scan_end
    close_scenario "$way"
  done
fi
