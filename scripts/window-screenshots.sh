#!/usr/bin/env bash
# Takes the window program through a short tour against simulated modems and saves what it
# shows as PNG pictures (the whole window, frame included):
#   waiting.png    the waiting picture during the first scan
#   info.png       the information tab after reading the first modem
#   terminal.png   the terminal tab after sending ATI
# Needs an X display: run it under tests/gui/run-with-display.sh.
#   window-screenshots.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH --out DIR
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
out=
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --out) out=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
[ -n "$out" ] || { echo "usage: window-screenshots.sh ... --out DIR" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

# shellcheck source=tests/gui/gui-session.sh
. "$root/tests/gui/gui-session.sh"
gui_setup "${args[@]}" --artifacts "$out/.work"

# Two modems for the list, and three silent ports so the waiting picture stays up long
# enough to be photographed on any machine.
mapfile -t silent < <(gui_silent_ports 2 3 4)
gui_start_modems 5=tools/modemsim/profiles/full-stick.profile \
  9=tools/modemsim/profiles/old-stick.profile "${silent[@]}"
gui_start_program
gui_wait_window 120
gui_wait_client_origin 60
if gui_wait_waiting_picture 30; then
  cp "$gui_work/waiting.png" "$out/waiting.png"
else
  echo "(the first scan ended before the waiting picture could be taken)"
fi

gui_wait_scan_end 300
gui_select_first_modem
gui_read_modem 300
gui_grab_stable info 60
gui_grab "$out/info.png"

gui_click "${GUI_TERMINAL_TAB[@]}"
gui_wait_pixel 60 "${GUI_CENTRE[@]}" 000000 || gui_fail "the terminal pane did not appear"
gui_type ATI
gui_key Return
# The exchange ends within the terminal's 2000 ms limit; allow a loaded machine more, and a
# terminal that prints nothing.
gui_wait_ink_on_black() {
  local deadline=$((SECONDS + $1)) fraction
  while [ $SECONDS -lt $deadline ]; do
    gui_grab_client_region "$gui_work/pane.png" 12 74 300 60
    fraction=$(convert "$gui_work/pane.png" -colorspace gray -threshold 40% -format '%[fx:mean]' info:)
    awk -v f="${fraction:-0}" 'BEGIN { exit !(f > 0.01) }' && return 0
    sleep 0.2
  done
  return 1
}
gui_wait_ink_on_black 15 || echo "(the terminal printed nothing for ATI)"
gui_grab_stable terminal 60 "$GUI_CARET_MASK"
gui_grab "$out/terminal.png"

gui_key alt+F4
gui_wait_exit 30 || gui_fail "the program did not end after Alt+F4"
rm -rf "$out/.work"
