#!/usr/bin/env bash
# The black-box scenarios that start the same way, run one after another in one session of
# the program instead of each starting it afresh (every start under Wine and every first scan
# cost seconds): the waiting picture during the first scan, the hover blend, the read and the
# tabs' pictures, the terminal, the buy-code cell and the close box; then a second start for
# Alt+F4. Each scenario's checks are those of its own script (blackbox-NAME.sh), which also
# runs alone; here each begins where the one before left off. (The copy button's scenario
# runs alone: under Wine the X clipboard is not taken back from another program once the
# terminal's rich edit has copied.)
#   blackbox-session.sh --page URL --arch ARCH --prefix DIR --modemsim PATH --exe PATH
#                       [--artifacts DIR]
set -u
here=$(dirname "${BASH_SOURCE[0]}")
for scenario in waiting hover read terminal buy-code close; do
  # shellcheck source=/dev/null
  . "$here/blackbox-$scenario.sh"
done
buy_code_setup "$@"

# scenario NAME FUNCTION ARGS...: one scenario, announced, so a failure is told by its name.
scenario() {
  gui_log "scenario $1"
  shift
  "$@"
}

# The listed modem first, the unlisted one next in the modem list, and silent ports around
# them that keep the first scan going while the waiting picture is checked.
gui_record_browser
mapfile -t silent < <(gui_silent_ports 2 3 4 7 8)
gui_start_modems 5=tools/modemsim/profiles/full-stick.profile \
  6=tests/gui/profiles/unlisted-stick.profile "${silent[@]}"

scenario waiting waiting_scenario
scenario hover hover_scenario
scenario read read_scenario
scenario terminal terminal_scenario

# Back to the information tab, the listed modem read, and the focus in the modem list.
gui_click "${GUI_INFO_TAB[@]}"
# The first value cell's right end: the manufacturer's name never reaches it.
gui_wait_pixel 60 600 80 FFFFC8 || gui_fail "the information tab did not come back"
gui_click "${GUI_COMBO[@]}"
gui_key Escape
gui_move "${GUI_NEUTRAL[@]}"
gui_wait_pixel 30 200 44 3096FA || gui_fail "the modem list did not take the focus"
scenario buy-code buy_code_scenario "$page"

scenario close-box close_scenario close-box
gui_start_until_scan_end
scenario alt+F4 close_scenario alt+F4
gui_log "every scenario passed"
