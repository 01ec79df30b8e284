#!/usr/bin/env bash
# The buy-code cell of the lock-status row (row 6, value column), seen on the screen and
# through the pages Wine's browser launcher is asked to open:
# - after reading a listed model (E173, group 1) the cell keeps the status up to list x 500
#   (its frame's last column is 499) and shows the button from x 502: filled RGB(160, 255, 160), framed RGB(160, 160, 160),
#   with its label; a click at x 501 opens nothing, one at x 502 opens the model's page;
# - after reading a model in neither list (ZW900) the cell is a plain framed cell, and a click
#   where the button was opens nothing.
#   blackbox-buy-code.sh --page URL --arch ARCH --prefix DIR --modemsim PATH --exe PATH
#                        [--artifacts DIR]
# URL is the page the build's settings give the models of group 1.
# Sourced, it defines buy_code_scenario URL: the checks from a program that has just read the
# listed model, with the modem list focused and Wine's browser setting on the recorder
# (gui_record_browser); the unlisted model must be next in the modem list.
set -u
# shellcheck source=tests/gui/gui-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/gui-session.sh"

# Row 6 of the list, in list coordinates: the value cell runs from x 250 to 640, its frame
# from y 96 to 110 (the bottom edge moved up by one pixel).
row_top=96 row_bottom=110 row_middle=104
list_x() { echo $((GUI_LIST_ORIGIN[0] + $1)); }
list_y() { echo $((GUI_LIST_ORIGIN[1] + $1)); }
# expect_pixel X Y COLOUR WHAT: one list pixel of the settled window.
expect_pixel() {
  local seen
  seen=$(gui_pixel "$(list_x "$1")" "$(list_y "$2")")
  [ "$seen" = "$3" ] || gui_fail "$4: list pixel ($1, $2) is $seen, not $3"
}
# count_colour X Y W H COLOUR: pixels of exactly COLOUR in a list region.
count_colour() {
  gui_grab_client_region "$gui_work/cell.png" "$(list_x "$1")" "$(list_y "$2")" "$3" "$4"
  convert "$gui_work/cell.png" -fill white +opaque "#$5" -fill black -opaque "#$5" \
    -colorspace gray -format '%[fx:round((1-mean)*w*h)]' info:
}
# click_list X Y: a click on the list. A click on the bare page comes first, so that two
# clicks on the list never pair into a double click, which the list reports as no click.
click_list() {
  gui_click "${GUI_NEUTRAL[@]}"
  gui_click "$(list_x "$1")" "$(list_y "$2")"
}
# click_list_and_settle X Y: click_list, then a wait until the program has handled the click:
# it takes the keyboard focus from the modem list, whose field then loses its selection
# colour. (The click's handler reads the pointer's position, so the pointer must not move on
# before that.)
click_list_and_settle() {
  gui_combo_has_focus || gui_fail "the modem list should have the focus before the click"
  click_list "$1" "$2"
  local deadline=$((SECONDS + 60))
  while gui_combo_has_focus; do
    [ $SECONDS -lt $deadline ] || gui_fail "the click at list ($1, $2) was not handled within 60 s"
    sleep 0.1
  done
}
opened_pages() { grep -c . "$gui_browser_log"; }

buy_code_scenario() {
  local page=$1
  # A listed model: the button.
  gui_grab_stable buy-code-listed 60
  # Frames are drawn inside their rectangles: the status part, up to x 500, ends with its line
  # at x 499; x 500 and 501 are the gap; the button's own frame starts at x 502.
  expect_pixel 499 100 A0A0A0 "the status part's frame, right edge"
  expect_pixel 500 100 FFFFC8 "the gap at x 500"
  expect_pixel 501 100 FFFFC8 "the gap at x 501"
  expect_pixel 502 100 A0A0A0 "the button's frame at x 502"
  expect_pixel 639 100 A0A0A0 "the button's frame at the cell's right edge"
  expect_pixel 560 "$row_top" A0A0A0 "the button's top frame"
  expect_pixel 560 "$row_bottom" A0A0A0 "the button's bottom frame"
  inside=$((637 - 503 + 1))x$((row_bottom - row_top - 1))
  green=$(count_colour 503 $((row_top + 1)) $((637 - 503 + 1)) $((row_bottom - row_top - 1)) A0FFA0)
  all=$(( (637 - 503 + 1) * (row_bottom - row_top - 1) ))
  # The label covers part of the fill; the rest is the button's green.
  [ "$green" -gt $((all / 2)) ] && [ "$green" -lt $((all - 30)) ] ||
    gui_fail "the button ($inside) holds $green green pixels of $all: no fill, or no label"
  gui_log "listed model: button drawn ($green of $all pixels green, the rest its label)"

  click_list_and_settle 501 "$row_middle"
  # The next click needs no settling aid: it opens a page, and the pointer stays where it is.
  click_list 502 "$row_middle"
  deadline=$((SECONDS + 60))
  until [ "$(opened_pages)" -ge 1 ]; do
    [ $SECONDS -lt $deadline ] || gui_fail "a click at list x 502 opened no page within 60 s"
    sleep 0.2
  done
  gui_wait_browsers_done 60 || gui_fail "the browser launcher did not finish"
  cp "$gui_browser_log" "$gui_artifacts/opened-pages.txt"
  [ "$(opened_pages)" -eq 1 ] || gui_fail "$(opened_pages) pages opened for clicks at x 501 and 502, not one"
  [ "$(cat "$gui_browser_log")" = "$page" ] ||
    gui_fail "the page opened is $(cat "$gui_browser_log"), not $page"
  gui_log "listed model: x 501 opened nothing, x 502 opened $page"

  # A model in neither list: a plain framed cell.
  gui_read_other_modem Down 300 || gui_fail "the second modem's model never appeared"
  gui_grab_stable buy-code-unlisted 60
  green=$(count_colour 250 "$row_top" 391 $((row_bottom - row_top + 1)) A0FFA0)
  [ "$green" -eq 0 ] || gui_fail "a model in neither list shows $green button pixels"
  expect_pixel 639 100 A0A0A0 "the plain cell's right frame"
  expect_pixel 250 100 A0A0A0 "the plain cell's left frame"
  expect_pixel 502 "$((row_top + 1))" FFFFC8 "the plain cell at x 502"
  gui_log "unlisted model: plain framed cell"

  gui_click "${GUI_COMBO[@]}"   # the focus back to the modem list, for the settling aid
  gui_key Escape
  gui_move "${GUI_NEUTRAL[@]}"
  gui_wait_pixel 30 200 44 3096FA || gui_fail "the modem list did not take the focus back"
  click_list_and_settle 560 "$row_middle"
  gui_wait_browsers_done 60 || gui_fail "the browser launcher did not finish"
  [ "$(opened_pages)" -eq 1 ] || gui_fail "a click on the plain cell opened a page"
  gui_log "unlisted model: a click where the button was opened nothing"
}

# buy_code_setup ARGS...: gui_setup with the scripts' own --page URL taken out, into $page.
buy_code_setup() {
  page=
  local args=()
  while [ $# -gt 0 ]; do
    case "$1" in
      --page) page=$2; shift 2 ;;
      *) args+=("$1"); shift ;;
    esac
  done
  gui_setup "${args[@]}"
  [ -n "$page" ] || gui_fail "no --page given"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  buy_code_setup "$@"
  gui_record_browser
  gui_start_modems 5=tools/modemsim/profiles/full-stick.profile \
    6=tests/gui/profiles/unlisted-stick.profile
  gui_start_until_scan_end
  gui_select_first_modem
  gui_read_modem 300
  buy_code_scenario "$page"
fi
