#!/usr/bin/env bash
# While the first scan runs, the window shows the waiting picture in the middle of the page
# and nothing else changes; once the scan ends the information list covers it completely.
# Five silent ports make the scan last at least five seconds (each costs the probe's 1000 ms),
# more on a slower machine (gui_silent_ports): the window is mapped and painted well within
# that, and the checks below wait for the picture itself.
#   blackbox-waiting.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH [--artifacts DIR]
# Sourced, it defines waiting_scenario: it starts the program itself, with silent ports among
# the simulated modems (gui_silent_ports).
set -u
# shellcheck source=tests/gui/gui-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/gui-session.sh"

waiting_scenario() {
  gui_start_program
  gui_log "program started"
  gui_wait_window 120
  gui_wait_client_origin 60

  if ! gui_wait_waiting_picture 60; then
    cp "$gui_work/waiting.png" "$gui_artifacts/waiting-last.png"
    gui_fail "the waiting picture never showed in the middle of the page (${GUI_WAITING_OFF:-?} pixels off)"
  fi
  gui_log "the waiting picture shows in the middle of the page ($GUI_WAITING_OFF pixels off)"

  gui_check_reference waiting 30
  # The grab must come from the scan, not after it.
  [ "$(gui_pixel 310 80)" != FFFFC8 ] || gui_fail "the scan ended before the waiting picture was checked"

  gui_wait_scan_end 300
  gui_log "the first scan ended"
  gui_move "${GUI_NEUTRAL[@]}"
  gui_check_reference info-start 60
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  gui_setup "$@"
  mapfile -t silent < <(gui_silent_ports 2 3 4 6 7)
  gui_start_modems 5=tools/modemsim/profiles/full-stick.profile "${silent[@]}"
  waiting_scenario
fi
