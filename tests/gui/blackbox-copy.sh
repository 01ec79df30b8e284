#!/usr/bin/env bash
# The copy button, seen from another program through the X clipboard (Wine hands the
# program's CRLF line ends to X as LF):
# - after a read with the check marks untouched: exactly the eight basic rows, in table order,
#   "name: value" each, the values as the command-line tool reads them from the same modem;
# - with all eight unchecked: the empty text;
# - with only the show-more row checked: its table name with an empty value.
# Each copy ends with the confirmation box, closed with Enter.
#   blackbox-copy.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH --cli PATH
#                    [--artifacts DIR]
# Sourced, it defines copy_scenario: the checks from a program that has just read the
# full-stick modem at COM5, its check marks untouched, with the command-line tool's reading of
# the same modem in $gui_work/cli.txt (copy_read_with_cli, before the program starts).
set -u
# shellcheck source=tests/gui/gui-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/gui-session.sh"

copy_read_with_cli() {
  gui_cli_info COM5 "$gui_work/cli.txt"
  cp "$gui_work/cli.txt" "$gui_artifacts/cli-info.txt"
}

copy_scenario() {
  # The basic rows: the first eight on screen, checked at start-up. In table order they are in
  # the same order as on screen.
  basic=("Производитель" "Модель" "Версии (прошивки и железа)" "IMEI" "Дата/время компиляции"
         "Версия Dashboard" "Статус блокировки" "Осталось попыток ввода кода")
  expected_basic=
  for name in "${basic[@]}"; do
    line=$(awk -v p="$name: " 'index($0, p) == 1 { print; exit }' "$gui_work/cli.txt")
    case "$line" in "$name: "*) ;; *) gui_fail "the command-line tool printed no row \"$name\"" ;; esac
    expected_basic+="$line"$'\n'
  done
  show_more=$(grep -m 1 '^ + ' "$gui_work/cli.txt")
  [ -n "$show_more" ] || gui_fail "the command-line tool printed no show-more row"

  # copy_and_expect NAME TEXT: the copy button, the confirmation box, the clipboard's text.
  copy_count=0
  copy_and_expect() {
    local name=$1 expected=$2 seen deadline
    copy_count=$((copy_count + 1))
    # Something else first, so a copy that changes nothing cannot pass for an empty one.
    gui_set_clipboard "before copy $copy_count"
    gui_click "${GUI_COPY_BUTTON[@]}"
    gui_wait_windows 60 2 || gui_fail "$name: no confirmation box after the copy button"
    import -window root "$gui_artifacts/$name-screen.png" 2>/dev/null
    deadline=$((SECONDS + 30))
    while [ $SECONDS -lt $deadline ]; do
      gui_text_of seen < <(gui_clipboard)
      [ "$seen" != "before copy $copy_count" ] && break
      sleep 0.3
    done
    gui_key Return
    gui_wait_windows 60 1 || gui_fail "$name: the confirmation box did not close with Enter"
    gui_move "${GUI_NEUTRAL[@]}"
    if [ "$seen" != "$expected" ]; then
      printf '%s' "$seen" >"$gui_artifacts/$name-clipboard-seen.txt"
      printf '%s' "$expected" >"$gui_artifacts/$name-clipboard-expected.txt"
      gui_fail "$name: the clipboard does not hold the expected text (see $name-clipboard-*.txt)"
    fi
    gui_log "$name: the clipboard holds the expected $(printf '%s' "$expected" | wc -l) lines"
}

gui_grab_stable copy-read 60

copy_and_expect basic-rows "$expected_basic"

# Untick the eight basic rows.
for ((row = 0; row < 8; row++)); do
  gui_click "$GUI_CHECK_BOX_X" $((GUI_LIST_ORIGIN[1] + 7 + GUI_ROW_PITCH * row))
done
gui_grab_stable copy-unticked 60
copy_and_expect no-rows ""

# Tick the show-more row's (painted over) box.
gui_click "$GUI_CHECK_BOX_X" $((GUI_LIST_ORIGIN[1] + 7 + GUI_ROW_PITCH * 8))
gui_grab_stable copy-show-more 60
copy_and_expect show-more-row "$show_more"$'\n'
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  gui_setup "$@"
  gui_start_modems 5=tools/modemsim/profiles/full-stick.profile
  copy_read_with_cli
  gui_start_until_scan_end
  gui_select_first_modem
  gui_read_modem 300
  copy_scenario
fi
