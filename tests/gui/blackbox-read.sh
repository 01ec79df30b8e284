#!/usr/bin/env bash
# The window as a person uses it: after the first scan the information tab shows the basic
# rows with empty values; picking the simulated modem and pressing the read button fills
# them; the terminal tab shows the black transcript and the command field. Each state is
# compared with its reference picture.
#   blackbox-read.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH [--artifacts DIR]
# Sourced, it defines read_scenario: the checks from the information tab before any modem was
# picked (its picture checked already) to the terminal tab's.
set -u
# shellcheck source=tests/gui/gui-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/gui-session.sh"

read_scenario() {
  gui_move "${GUI_NEUTRAL[@]}"
  gui_select_first_modem
  gui_read_modem 300
  gui_check_reference info-read 60

  gui_click "${GUI_TERMINAL_TAB[@]}"
  gui_wait_pixel 60 "${GUI_CENTRE[@]}" 000000 || gui_fail "the terminal pane did not appear"
  gui_check_reference terminal 60 "$GUI_CARET_MASK"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  gui_setup "$@"
  gui_start_modems 5=tools/modemsim/profiles/full-stick.profile
  gui_start_until_scan_end
  gui_move "${GUI_NEUTRAL[@]}"
  gui_check_reference info-start 60
  read_scenario
fi
