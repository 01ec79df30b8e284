#!/usr/bin/env bash
# The terminal tab as a person uses it, seen through the screen and the X clipboard:
# - ATI sent with Enter, then with the send button: each time the command field is emptied,
#   and the transcript grows by the prompt line "cmd> ATI", the modem's raw reply and a line
#   break; "Select All" then "Copy" of the pane's menu hand exactly that text to other programs
#   (Wine gives X the text with LF where the program has CRLF);
# - "Clear" empties the pane; an empty command then adds the bare prompt and a line break.
#   blackbox-terminal.sh --arch ARCH --prefix DIR --modemsim PATH --exe PATH [--artifacts DIR]
# Sourced, it defines terminal_scenario: the checks from an empty transcript on the terminal
# tab, with the full-stick modem picked.
set -u
# shellcheck source=tests/gui/gui-session.sh
. "$(dirname "${BASH_SOURCE[0]}")/gui-session.sh"

profile=tools/modemsim/profiles/full-stick.profile

pane=(12 74 400 300)   # the upper part of the transcript, where the first lines go
# light_in_pane: share of light pixels (text) in that part of the black pane.
light_in_pane() {
  gui_grab_client_region "$gui_work/pane.png" "${pane[@]}"
  gui_light_fraction "$gui_work/pane.png"
}
# wait_light LIMIT above|none [THRESHOLD]: waits until the pane's light share is above
# THRESHOLD, or until it has none.
wait_light() {
  local deadline=$((SECONDS + $1)) f
  while [ $SECONDS -lt $deadline ]; do
    f=$(light_in_pane)
    case "$2" in
      above) awk -v f="${f:-0}" -v t="$3" 'BEGIN { exit !(f > t) }' && return 0 ;;
      none) awk -v f="${f:-1}" 'BEGIN { exit !(f == 0) }' && return 0 ;;
    esac
    sleep 0.2
  done
  return 1
}
# field_is_empty: no text in the command field (the caret's place aside).
field_is_empty() {
  gui_grab_client_region "$gui_work/field.png" 90 557 530 16
  awk -v f="$(gui_ink_fraction "$gui_work/field.png")" 'BEGIN { exit !(f == 0) }'
}
# clipboard_is TEXT LIMIT: waits until the X clipboard holds exactly TEXT.
clipboard_is() {
  local deadline=$((SECONDS + $2)) seen
  while [ $SECONDS -lt $deadline ]; do
    seen=$(gui_clipboard; echo .)
    seen=${seen%.}
    [ "$seen" = "$1" ] && return 0
    sleep 0.3
  done
  printf '%s' "$seen" >"$gui_artifacts/clipboard-seen.txt"
  printf '%s' "$1" >"$gui_artifacts/clipboard-expected.txt"
  return 1
}

terminal_scenario() {
  # One exchange as the clipboard must show it, built from the simulated modem's own reply text
  # (the scan has switched its echo off, so the reply is the profile's line as it stands).
  reply=$(sed -n 's/^ATI => //p' "$gui_root/$profile")
  [ -n "$reply" ] || gui_fail "no ATI reply in $profile"
  exchange=$(printf 'cmd> ATI\n%b\n' "$reply" | tr -d '\r'; echo .)
  exchange=${exchange%.}

  # Enter in the command field sends; the field is emptied.
  gui_type ATI
  gui_key Return
  wait_light 60 above 0 || gui_fail "nothing appeared in the transcript after ATI and Enter"
  gui_grab_stable terminal-enter 60 "$GUI_CARET_MASK"
  field_is_empty || gui_fail "the command field still holds text after Enter"
  after_enter=$(light_in_pane)

  # The send button does the same.
  gui_type ATI
  gui_click "${GUI_SEND_BUTTON[@]}"
  wait_light 60 above "$(awk -v f="$after_enter" 'BEGIN { print f * 1.5 }')" ||
    gui_fail "the transcript did not grow after ATI and the send button"
  gui_grab_stable terminal-button 60 "$GUI_CARET_MASK"
  field_is_empty || gui_fail "the command field still holds text after the send button"

  # Select All, then Copy: the whole transcript reaches the X clipboard.
  gui_menu_item 3
  gui_wait_colour_in 30 12 74 200 14 3096FA || gui_fail "Select All did not select the transcript"
  gui_menu_item 1
  clipboard_is "$exchange$exchange" 30 ||
    gui_fail "the clipboard does not hold the two exchanges (see clipboard-*.txt)"
  gui_log "the transcript, copied: two exchanges of $(printf '%s' "$exchange" | wc -l) lines each"

  # Clear empties the pane.
  gui_menu_item 2
  wait_light 30 none || gui_fail "Clear left text in the transcript"
  gui_grab_stable terminal-cleared 60 "$GUI_CARET_MASK"

  # An empty command: the bare prompt and a line break, then whatever the modem says to a lone
  # carriage return.
  gui_move "${GUI_NEUTRAL[@]}"
  gui_click 300 565   # into the command field
  gui_key Return
  wait_light 60 above 0 || gui_fail "nothing appeared in the transcript after an empty command"
  gui_grab_stable terminal-empty-command 60 "$GUI_CARET_MASK"
  gui_menu_item 3
  gui_wait_colour_in 30 12 74 200 14 3096FA || gui_fail "Select All did not select the transcript"
  gui_menu_item 1
  deadline=$((SECONDS + 30))
  while [ $SECONDS -lt $deadline ]; do
    seen=$(gui_clipboard; echo .)
    seen=${seen%.}
    [ "$seen" != "$exchange$exchange" ] && break
    sleep 0.3
  done
  case "$seen" in
    "cmd> "$'\n'*) gui_log "an empty command: the bare prompt and a line break" ;;
    *) printf '%s' "$seen" >"$gui_artifacts/clipboard-seen.txt"
       gui_fail "an empty command did not start the transcript with the bare prompt line" ;;
  esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  gui_setup "$@"
  gui_start_modems 5=$profile
  gui_start_until_scan_end
  gui_select_first_modem
  gui_click "${GUI_TERMINAL_TAB[@]}"
  gui_wait_pixel 60 "${GUI_CENTRE[@]}" 000000 || gui_fail "the terminal pane did not appear"
  terminal_scenario
fi
