#!/usr/bin/env bash
# While the first scan runs, the window shows the waiting picture in the middle of the page
# and nothing else changes; once the scan ends the information list covers it completely.
# Ten silent ports make the scan last at least ten seconds (each costs the probe's 1000 ms),
# so the picture is seen on any machine, however loaded.
#   blackbox-waiting.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH [--artifacts DIR]
set -u
. "$(dirname "$0")/gui-session.sh"
gui_setup "$@"

mapfile -t silent < <(gui_silent_ports 2 3 4 6 7 8 9 10 11 12)
gui_start_modems 5=tools/modemsim/profiles/full-stick.profile "${silent[@]}"
gui_start_program
gui_wait_window 120
gui_wait_client_origin 60

# The picture is drawn 256 x 256 at its own size, centred in the client area, over the bare
# page (white under Wine): the screen must show exactly the picture composed over white.
wait_x=$((GUI_CENTRE[0] - 128)) wait_y=$((GUI_CENTRE[1] - 128))
convert -size 256x256 xc:white "$gui_root/res/wait.png" -composite "$gui_work/expected-wait.png"
deadline=$((SECONDS + 60)) seen=
while [ $SECONDS -lt $deadline ]; do
  gui_grab "$gui_work/waiting-raw.png"
  different=$(gui_count_region_different "$gui_work/waiting-raw.png" "$gui_work/expected-wait.png" \
    "$wait_x" "$wait_y" 256 256 "$GUI_FUZZ")
  if [ -n "$different" ] && [ "$different" -le "$GUI_MAX_DIFFERENT_PIXELS" ]; then
    seen=1
    break
  fi
  sleep 0.2
done
cp "$gui_work/waiting-raw.png" "$gui_artifacts/waiting-seen.png"
[ -n "$seen" ] || gui_fail "the waiting picture never showed at ($wait_x, $wait_y) ($different pixels off)"
gui_log "waiting picture at ($wait_x, $wait_y), $different pixels off"

gui_check_reference waiting 30
# The grab must come from the scan, not after it.
[ "$(gui_pixel "${GUI_CENTRE[@]}")" != F0F0F0 ] || gui_fail "the scan ended before the waiting picture was checked"

gui_wait_scan_end 300
gui_move "${GUI_NEUTRAL[@]}"
gui_check_reference info-start 60
