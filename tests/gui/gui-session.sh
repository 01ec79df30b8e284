# shellcheck shell=bash disable=SC2034
# Drives the window program from outside, as a person would: simulated modems in the Wine
# prefix, the program under Wine on the current X display, pointer and keys through xdotool,
# and what the screen shows through ImageMagick. Sourced by the black-box tests, the demo and
# the window benchmarks; needs DISPLAY (tests/gui/run-with-display.sh provides one).
#
#   gui_setup --arch ARCH --prefix DIR --modemsim PATH --exe PATH [--artifacts DIR]
#             [--cli PATH]     (the command-line tool of the same build, for comparisons)
#
# Every wait polls for an event (a window mapped, a pixel condition, a process ended) up to a
# generous limit: a loaded two-core machine may be slow, but never makes a wait succeed wrongly.

gui_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=../../scripts/modems.sh
. "$gui_root/scripts/modems.sh"
gui_reference_dir=$gui_root/tests/gui/reference

# Wine draws the frame itself (no window manager): a fixed 3-pixel border, and below the top
# border a 19-pixel caption. The client origin is the X window's position plus these.
GUI_FRAME_LEFT=3
GUI_FRAME_TOP=22
GUI_WINDOW_WIDTH=690
GUI_WINDOW_HEIGHT=640

# Fixed points of the face, in client coordinates.
GUI_COMBO=(150 44)          # the modem list's selection field
GUI_READ_BUTTON=(407 43)    # middle of the read button (308, 32, 200, 24)
GUI_NEUTRAL=(296 44)        # bare page between the rescan and read buttons: hovers nothing
GUI_INFO_TAB=(40 13)        # the first tab's caption
GUI_TERMINAL_TAB=(136 13)   # the second tab's caption
GUI_CENTRE=(342 307)        # (W / 2, H / 2): the waiting picture is centred here
GUI_SEPARATOR_Y=65          # the top separator's line
# The caret of the command field blinks: the only part of the face that varies by itself.
GUI_CARET_MASK="81,556,8,18"

# Reference comparison: what counts as the same pixel, and how many may differ. The same
# program on the same Wine, fonts and X server draws the same pixels every run (measured: 0
# differing pixels at fuzz 0 over repeated runs, also under load). The fuzz (3% of the colour
# range, about 8 steps of 255) absorbs rounding of blending and bicubic scaling in another
# Wine build; the count (8) stays far below what one wrong character of a value changes
# (the value "10" alone is 76 pixels, one digit about 35) or a missing frame line (hundreds).
GUI_FUZZ=${GUI_FUZZ:-3%}
GUI_MAX_DIFFERENT_PIXELS=${GUI_MAX_DIFFERENT_PIXELS:-8}

gui_arch= gui_prefix= gui_modemsim= gui_exe= gui_artifacts= gui_cli=
gui_work= GUI_PID= GUI_WID= gui_browser_log=
GUI_ORIGIN_X= GUI_ORIGIN_Y= GUI_WIN_X= GUI_WIN_Y=

gui_log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*"; }

gui_fail() {
  printf 'FAIL: %s\n' "$*" >&2
  [ -n "$gui_artifacts" ] && printf '      pictures: %s\n' "$gui_artifacts" >&2
  exit 1
}

gui_setup() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --arch) gui_arch=$2; shift 2 ;;
      --prefix) gui_prefix=$2; shift 2 ;;
      --modemsim) gui_modemsim=$2; shift 2 ;;
      --exe) gui_exe=$2; shift 2 ;;
      --artifacts) gui_artifacts=$2; shift 2 ;;
      --cli) gui_cli=$2; shift 2 ;;
      *) echo "gui_setup: unknown option $1" >&2; exit 2 ;;
    esac
  done
  [ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run under tests/gui/run-with-display.sh" >&2; exit 2; }
  [ -x "$gui_modemsim" ] || { echo "no simulator at $gui_modemsim" >&2; exit 2; }
  [ -f "$gui_exe" ] || { echo "no program at $gui_exe" >&2; exit 2; }
  for tool in xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
  done
  gui_work=$(mktemp -d)
  if [ -n "$gui_artifacts" ]; then
    rm -rf "$gui_artifacts"
    mkdir -p "$gui_artifacts"
  else
    gui_artifacts=$gui_work/pictures
    mkdir -p "$gui_artifacts"
  fi
  trap gui_cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM HUP
  "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" --init
  # A Wine server left from an earlier program may belong to another display (or none); the
  # window must open on this one.
  "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" --kill
}

gui_cleanup() {
  local status=$?
  if [ -n "$gui_browser_log" ]; then
    # The prefix serves other tests too: no browser setting may point at a removed script.
    "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" -- reg delete \
      'HKCU\Software\Wine\WineBrowser' /v Browsers /f >/dev/null 2>&1 </dev/null
  fi
  # The Wine server holds the simulator's ptys: it goes first, then the simulator. Inside a
  # Wine suite the server stays up for the next test, so a program still running is ended
  # here instead.
  if [ -n "$gui_prefix" ]; then
    "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" --kill
  fi
  if [ -n "$GUI_PID" ]; then
    gui_program_running && [ -n "${VESMARIN_WINE_SUITE:-}" ] && kill -KILL "$GUI_PID" 2>/dev/null
    wait "$GUI_PID" 2>/dev/null
    GUI_PID=
  fi
  gui_stop_modems
  local pid
  for pid in "${gui_clipboard_pids[@]}"; do kill "$pid" 2>/dev/null; done
  if [ "$status" -ne 0 ] && [ -s "$gui_work/program.log" ]; then
    echo "--- program output:" >&2
    tail -n 40 "$gui_work/program.log" >&2
  fi
  [ -n "$gui_work" ] && rm -rf "$gui_work"
  exit "$status"
}

# gui_start_modems N=PROFILE...: simulated modems as COMn of the prefix (PROFILE relative to
# the repository or absolute).
gui_start_modems() {
  local assignments=() a number profile
  for a in "$@"; do
    number=${a%%=*}
    profile=${a#*=}
    case "$profile" in /*) ;; *) profile=$gui_root/$profile ;; esac
    assignments+=("$number=$profile")
  done
  mkdir -p "$gui_work/modem-logs"
  modems_start --sim "$gui_modemsim" --ports "$gui_prefix/dosdevices" --log "$gui_work/modem-logs" \
    --stderr "$gui_work/modemsim.err" "${assignments[@]}" || gui_fail "the modem simulator did not start"
}

gui_stop_modems() { modems_stop; }

# gui_start_until_scan_end: starts the program and waits, with generous limits, until its
# window is mapped and its first port scan has ended; what most tests do before anything else.
gui_start_until_scan_end() {
  gui_start_program
  gui_wait_window 120
  gui_wait_client_origin 60
  gui_wait_scan_end 300
}

# gui_start_program [EXE]: starts the program under Wine in the background (GUI_PID).
gui_start_program() {
  local exe=${1:-$gui_exe}
  "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" -- "$exe" \
    >>"$gui_work/program.log" 2>&1 </dev/null &
  GUI_PID=$!
}

# gui_program_running: whether the started program has not ended yet.
gui_program_running() { [ -n "$GUI_PID" ] && kill -0 "$GUI_PID" 2>/dev/null; }

# gui_wait_window LIMIT_SECONDS [CLASS]: waits until the program's main window (its X
# window of the full outer size) is mapped, then sets GUI_WID, GUI_WIN_X/Y and the client
# origin GUI_ORIGIN_X/Y. The class is the executable's name; titles are not searched, as a
# Cyrillic one would never match.
gui_wait_window() {
  local limit=$1 class=${2:-$(basename "$gui_exe")}
  local deadline=$((SECONDS + limit)) w
  GUI_WID=
  while [ $SECONDS -lt $deadline ]; do
    for w in $(xdotool search --onlyvisible --class "$class" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
      if [ "${WIDTH:-0}" -eq "$GUI_WINDOW_WIDTH" ] && [ "${HEIGHT:-0}" -eq "$GUI_WINDOW_HEIGHT" ]; then
        GUI_WID=$w
        GUI_WIN_X=$X
        GUI_WIN_Y=$Y
        GUI_ORIGIN_X=$((X + GUI_FRAME_LEFT))
        GUI_ORIGIN_Y=$((Y + GUI_FRAME_TOP))
        return 0
      fi
    done
    gui_program_running || gui_fail "the program ended before its window appeared"
    sleep 0.1
  done
  gui_fail "no $class window of ${GUI_WINDOW_WIDTH}x${GUI_WINDOW_HEIGHT} within $limit s"
}

# gui_pixel CX CY: the colour (RRGGBB) of one client pixel.
gui_pixel() {
  import -window root -crop "1x1+$((GUI_ORIGIN_X + $1))+$((GUI_ORIGIN_Y + $2))" \
    -depth 8 txt:- 2>/dev/null | sed -n '2s/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p'
}

# gui_grab FILE: the whole window (frame included) as the screen shows it.
gui_grab() {
  # No metadata: the same pixels give the same file, so a redrawn reference that did not
  # change shows no change in git.
  import -window root -crop "${GUI_WINDOW_WIDTH}x${GUI_WINDOW_HEIGHT}+${GUI_WIN_X}+${GUI_WIN_Y}" \
    +repage -strip "$1" 2>/dev/null
}

# gui_grab_client_region FILE CX CY W H: part of the client area.
gui_grab_client_region() {
  import -window root -crop "${4}x${5}+$((GUI_ORIGIN_X + $2))+$((GUI_ORIGIN_Y + $3))" \
    +repage "$1" 2>/dev/null
}

# gui_wait_pixel LIMIT CX CY COLOUR...: waits until the pixel has one of the colours.
gui_wait_pixel() {
  local limit=$1 cx=$2 cy=$3
  shift 3
  local deadline=$((SECONDS + limit)) seen= c
  while [ $SECONDS -lt $deadline ]; do
    seen=$(gui_pixel "$cx" "$cy")
    for c in "$@"; do
      [ "${seen^^}" = "${c^^}" ] && return 0
    done
    sleep 0.1
  done
  GUI_LAST_PIXEL=$seen
  return 1
}

# gui_wait_client_origin LIMIT: checks that the client origin was found where the frame
# metrics put it, by waiting for the top separator's line (grey C8C8C8 at client y 65 across
# the page, the row above it the skin's F0F0F0). Also tells that the face has been painted.
gui_wait_client_origin() {
  gui_wait_pixel "$1" 342 "$GUI_SEPARATOR_Y" C8C8C8 ||
    gui_fail "the top separator is not at client y $GUI_SEPARATOR_Y (seen ${GUI_LAST_PIXEL:-nothing}): client origin not at ($GUI_ORIGIN_X, $GUI_ORIGIN_Y)?"
  [ "$(gui_pixel 342 $((GUI_SEPARATOR_Y - 1)))" = F0F0F0 ] &&
    [ "$(gui_pixel 10 "$GUI_SEPARATOR_Y")" = C8C8C8 ] &&
    [ "$(gui_pixel 9 "$GUI_SEPARATOR_Y")" != C8C8C8 ] ||
    gui_fail "the top separator is not where the client origin ($GUI_ORIGIN_X, $GUI_ORIGIN_Y) puts it"
}

gui_screen_x() { echo $((GUI_ORIGIN_X + $1)); }
gui_screen_y() { echo $((GUI_ORIGIN_Y + $1)); }

gui_move() { xdotool mousemove "$(gui_screen_x "$1")" "$(gui_screen_y "$2")"; }
gui_click() { xdotool mousemove "$(gui_screen_x "$1")" "$(gui_screen_y "$2")" click 1; }
gui_key() { xdotool key --delay 60 "$@"; }
gui_type() { xdotool type --delay 60 "$1"; }

# gui_paint IN OUT COLOUR [X,Y,W,H (client)...]: fills client rectangles of a window grab.
gui_paint() {
  local in=$1 out=$2 colour=$3 m x y w h
  shift 3
  local draws=()
  for m in "$@"; do
    IFS=, read -r x y w h <<<"$m"
    x=$((x + GUI_FRAME_LEFT))
    y=$((y + GUI_FRAME_TOP))
    draws+=(-draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))")
  done
  if [ ${#draws[@]} -eq 0 ]; then
    cp "$in" "$out"
  else
    convert "$in" -fill "$colour" -stroke none "${draws[@]}" -strip "$out"
  fi
}

# gui_mask IN OUT [X,Y,W,H (client)...]: paints over the areas that may legitimately vary.
gui_mask() {
  local in=$1 out=$2
  shift 2
  gui_paint "$in" "$out" '#FF00FF' "$@"
}

# gui_count_different A B FUZZ: number of differing pixels (nothing printed when the two
# could not be compared, e.g. of different size).
gui_count_different() {
  local out
  out=$(compare -metric AE -fuzz "$3" "$1" "$2" null: 2>&1)
  case "$out" in ''|*[!0-9.e+]*) return 1 ;; esac
  printf '%.0f\n' "$out"
}

# gui_grab_stable NAME LIMIT [MASK...]: grabs the window until two grabs in a row agree,
# then keeps the masked grab as $gui_artifacts/NAME.png. A window that is still painting (or
# a run that has not handed its values to the list yet) changes between grabs.
gui_grab_stable() {
  local name=$1 limit=$2
  shift 2
  local deadline=$((SECONDS + limit)) previous="$gui_work/stable-previous.png" current="$gui_work/stable-current.png"
  gui_grab "$gui_work/raw.png" && gui_mask "$gui_work/raw.png" "$previous" "$@"
  while [ $SECONDS -lt $deadline ]; do
    sleep 0.3
    gui_grab "$gui_work/raw.png" && gui_mask "$gui_work/raw.png" "$current" "$@" || continue
    if [ "$(gui_count_different "$previous" "$current" 0)" = 0 ]; then
      cp "$current" "$gui_artifacts/$name.png"
      return 0
    fi
    mv "$current" "$previous"
  done
  cp "$previous" "$gui_artifacts/$name.png" 2>/dev/null
  gui_fail "the window did not settle within $limit s ($name)"
}

# gui_check_reference NAME LIMIT [MASK...]: the settled window against
# tests/gui/reference/NAME.png. With VESMARIN_GUI_UPDATE_REFERENCE=1 the grab becomes the new
# reference instead (look at it before committing it).
gui_check_reference() {
  local name=$1 limit=$2
  shift 2
  gui_grab_stable "$name" "$limit" "$@"
  local reference="$gui_reference_dir/$name.png"
  if [ "${VESMARIN_GUI_UPDATE_REFERENCE:-0}" = 1 ]; then
    mkdir -p "$gui_reference_dir"
    cp "$gui_artifacts/$name.png" "$reference"
    gui_log "reference $name.png updated"
    return 0
  fi
  [ -f "$reference" ] || gui_fail "no reference picture $reference"
  gui_mask "$reference" "$gui_work/reference.png" "$@"
  local different
  different=$(gui_count_different "$gui_artifacts/$name.png" "$gui_work/reference.png" "$GUI_FUZZ") ||
    gui_fail "$name: the screenshot cannot be compared with $reference (size?)"
  compare -fuzz "$GUI_FUZZ" "$gui_artifacts/$name.png" "$gui_work/reference.png" \
    "$gui_artifacts/$name-difference.png" 2>/dev/null
  if [ "$different" -gt "$GUI_MAX_DIFFERENT_PIXELS" ]; then
    gui_fail "$name: $different pixels differ from the reference (fuzz $GUI_FUZZ, at most $GUI_MAX_DIFFERENT_PIXELS allowed); see $name-difference.png"
  fi
  gui_log "$name matches its reference ($different pixels differ, at most $GUI_MAX_DIFFERENT_PIXELS)"
}

# gui_ink_fraction FILE: share of dark pixels (text) in a picture, 0 to 1.
gui_ink_fraction() {
  convert "$1" -colorspace gray -threshold 60% -format '%[fx:1-mean]' info: 2>/dev/null
}

# gui_wait_ink LIMIT CX CY W H: waits until a client region holds text (dark pixels).
gui_wait_ink() {
  local limit=$1 deadline=$((SECONDS + $1)) fraction
  while [ $SECONDS -lt $deadline ]; do
    gui_grab_client_region "$gui_work/ink.png" "$2" "$3" "$4" "$5"
    fraction=$(gui_ink_fraction "$gui_work/ink.png")
    awk -v f="${fraction:-0}" 'BEGIN { exit !(f > 0.02) }' && return 0
    sleep 0.2
  done
  return 1
}

# gui_wait_scan_end LIMIT: the first scan is over once the information list is shown: the
# first row's value cell (light yellow FFFFC8) appears where the bare page was.
gui_wait_scan_end() {
  gui_wait_pixel "$1" 310 80 FFFFC8 ||
    gui_fail "the first scan did not end within $1 s (first value cell: ${GUI_LAST_PIXEL:-unknown})"
}

# gui_select_first_modem: opens the modem list, picks its first entry, and leaves the pointer
# on bare page so no button is hovered.
gui_select_first_modem() {
  gui_click "${GUI_COMBO[@]}"
  gui_key Down Return
  gui_move "${GUI_NEUTRAL[@]}"
}

# gui_read_modem LIMIT: clicks the read button, moves the pointer off it and waits until the
# manufacturer's value (row 0, column 1) holds text.
gui_read_modem() {
  gui_click "${GUI_READ_BUTTON[@]}"
  # The move reaches the window after the run, and takes the highlight away.
  gui_move "${GUI_NEUTRAL[@]}"
  gui_wait_ink "$1" 262 74 380 14 || gui_fail "no manufacturer value within $1 s of the read click"
}

# gui_read_other_modem KEY LIMIT: picks another modem in the modem list with KEY (Down: the
# next, Up: the one before), reads it and waits until the model's value (row 1) has changed.
gui_read_other_modem() {
  local deadline=$((SECONDS + $2))
  gui_grab_client_region "$gui_work/model-before.png" $((GUI_LIST_ORIGIN[0] + 252)) \
    $((GUI_LIST_ORIGIN[1] + 17)) 380 14
  gui_click "${GUI_COMBO[@]}"
  gui_key "$1" Return
  gui_move "${GUI_NEUTRAL[@]}"
  gui_click "${GUI_READ_BUTTON[@]}"
  gui_move "${GUI_NEUTRAL[@]}"
  while :; do
    gui_grab_client_region "$gui_work/model-now.png" $((GUI_LIST_ORIGIN[0] + 252)) \
      $((GUI_LIST_ORIGIN[1] + 17)) 380 14
    [ "$(gui_count_different "$gui_work/model-before.png" "$gui_work/model-now.png" 0)" != 0 ] &&
      return 0
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# gui_wait_exit LIMIT: waits for the program to end by itself; sets GUI_EXIT_STATUS.
gui_wait_exit() {
  local deadline=$((SECONDS + $1))
  while gui_program_running; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
  wait "$GUI_PID"
  GUI_EXIT_STATUS=$?
  GUI_PID=
  return 0
}

# gui_count_region_different A_WINDOW_GRAB B_PICTURE CX CY W H FUZZ: differing pixels between
# a client region of a window grab and a picture of the region's size.
gui_count_region_different() {
  convert "$1" -crop "${5}x${6}+$((GUI_FRAME_LEFT + $3))+$((GUI_FRAME_TOP + $4))" +repage \
    "$gui_work/region.png" 2>/dev/null
  gui_count_different "$gui_work/region.png" "$2" "$7"
}

# gui_silent_ports N...: assignments of the silent profile (no answer at all, not even to
# ATE0) to the given port numbers; each costs the scan the probe's whole 1000 ms. On a machine
# VESMARIN_GUI_SLOWDOWN times slower than an ordinary one (the emulated i386 PC says 4), the
# checks made while the scan runs take that much longer, and the scan is made to last that
# much longer too: more silent ports from COM9 up.
gui_silent_ports() {
  local n slowdown=${VESMARIN_GUI_SLOWDOWN:-1} extra next=9
  for n in "$@"; do printf '%s=tools/modemsim/profiles/silent.profile\n' "$n"; done
  extra=$(($# * (slowdown - 1)))
  while [ "$extra" -gt 0 ]; do
    case " $* " in *" $next "*) ;; *) printf '%s=tools/modemsim/profiles/silent.profile\n' "$next"
                                        extra=$((extra - 1)) ;; esac
    next=$((next + 1))
  done
}

# The caption's close box, in window coordinates (Wine draws the caption itself).
GUI_CLOSE_BOX=(676 11)

# gui_click_window X Y: a click at a point of the window frame (window coordinates).
gui_click_window() { xdotool mousemove "$((GUI_WIN_X + $1))" "$((GUI_WIN_Y + $2))" click 1; }

# gui_wait_waiting_picture LIMIT: waits until the waiting picture shows: 256 x 256 at its own
# size, centred in the client area, over the bare page (the skin's F0F0F0). The last grab is
# left in $gui_work/waiting.png and the number of pixels off in GUI_WAITING_OFF.
gui_wait_waiting_picture() {
  local deadline=$((SECONDS + $1))
  local x=$((GUI_CENTRE[0] - 128)) y=$((GUI_CENTRE[1] - 128))
  convert -size 256x256 xc:'#F0F0F0' "$gui_root/res/wait.png" -composite "$gui_work/expected-wait.png"
  GUI_WAITING_OFF=
  while [ $SECONDS -lt $deadline ]; do
    gui_grab "$gui_work/waiting.png"
    GUI_WAITING_OFF=$(gui_count_region_different "$gui_work/waiting.png" \
      "$gui_work/expected-wait.png" "$x" "$y" 256 256 "$GUI_FUZZ")
    [ -n "$GUI_WAITING_OFF" ] && [ "$GUI_WAITING_OFF" -le "$GUI_MAX_DIFFERENT_PIXELS" ] && return 0
    sleep 0.2
  done
  return 1
}

# Points of the terminal tab and of the list, in client coordinates.
GUI_SEND_BUTTON=(654 556)     # middle of the send button (W - 50, H - 80, 40, 43)
GUI_PANE_POINT=(300 300)      # inside the transcript pane
GUI_COPY_BUTTON=(590 44)      # middle of the copy button (530, 32, 120, 24)
GUI_LIST_ORIGIN=(10 72)       # the information list's client origin
GUI_ROW_PITCH=16              # list rows, from y 0 of the list
GUI_CHECK_BOX_X=18            # the rows' check boxes

# gui_visible_windows: how many windows of the program are mapped (main window, menus,
# message boxes, the open modem list).
gui_visible_windows() {
  xdotool search --onlyvisible --class "$(basename "$gui_exe")" 2>/dev/null | wc -l
}

# gui_wait_windows LIMIT COUNT: waits until exactly COUNT windows of the program are mapped.
gui_wait_windows() {
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    [ "$(gui_visible_windows)" -eq "$2" ] && return 0
    sleep 0.1
  done
  return 1
}

# gui_menu_item INDEX: opens the transcript pane's menu with the right button and picks its
# INDEX-th item (from 1) with the keyboard. The menu opens while the button is down; the
# button is let go once the menu is seen, over the menu's corner, as a person's hand would.
# Each opening presses at another point: two presses at one place within the double-click
# time would make the second a double click, which opens no menu.
gui_menu_openings=0
gui_menu_item() {
  local before
  before=$(gui_visible_windows)
  gui_menu_openings=$((gui_menu_openings + 1))
  gui_move $((GUI_PANE_POINT[0] + 16 * (gui_menu_openings % 8))) "${GUI_PANE_POINT[1]}"
  xdotool mousedown 3
  if ! gui_wait_windows 60 $((before + 1)); then
    xdotool mouseup 3
    gui_grab "$gui_artifacts/menu-not-open.png"
    gui_fail "the transcript pane's menu did not open ($(gui_visible_windows) windows, $before before)"
  fi
  xdotool mouseup 3
  local keys=() i
  for ((i = 0; i < $1; i++)); do keys+=(Down); done
  gui_key "${keys[@]}" Return
  gui_wait_windows 60 "$before" || gui_fail "the transcript pane's menu did not close"
}

# gui_clipboard: the X clipboard's text, as another program sees it.
gui_clipboard() { timeout 20 xclip -o -selection clipboard 2>/dev/null; }

# gui_set_clipboard TEXT: another program owns the X clipboard with TEXT until some program
# takes it over. That program (xclip, kept in the foreground to know it) ends with the test:
# on a display that outlives the test, it would hold the test's output open.
gui_clipboard_pids=()
gui_set_clipboard() {
  printf '%s' "$1" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
  gui_clipboard_pids+=($!)
  # Started in the background, it owns the clipboard only a moment later: a copy made before
  # that would be overwritten.
  local deadline=$((SECONDS + 30)) seen
  while [ $SECONDS -lt $deadline ]; do
    gui_text_of seen < <(gui_clipboard)
    [ "$seen" = "$1" ] && return 0
    sleep 0.1
  done
  gui_fail "the X clipboard did not take the text \"$1\""
}

# gui_combo_has_focus: the modem list's field shows the selection colour of a focused field.
gui_combo_has_focus() { [ "$(gui_pixel 200 44)" = 3096FA ]; }

# gui_light_fraction FILE: share of light pixels (text on the black transcript), 0 to 1.
gui_light_fraction() {
  convert "$1" -colorspace gray -threshold 50% -format '%[fx:mean]' info: 2>/dev/null
}

# gui_wait_colour_in LIMIT CX CY W H RRGGBB: waits until a client region holds at least one
# pixel of exactly that colour.
gui_wait_colour_in() {
  local deadline=$((SECONDS + $1)) count
  while [ $SECONDS -lt $deadline ]; do
    gui_grab_client_region "$gui_work/colour.png" "$2" "$3" "$4" "$5"
    count=$(convert "$gui_work/colour.png" -fill white +opaque "#$6" -fill black -opaque "#$6" \
      -colorspace gray -format '%[fx:(1-mean)*w*h]' info: 2>/dev/null)
    awk -v c="${count:-0}" 'BEGIN { exit !(c >= 1) }' && return 0
    sleep 0.2
  done
  return 1
}

# gui_cli_info COM OUT: the command-line tool's information run on the port (the rows in table
# order as "name: value", UTF-8), run in the same prefix before the window program starts.
gui_cli_info() {
  [ -f "$gui_cli" ] || gui_fail "no command-line tool given (--cli)"
  "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" -- "$gui_cli" info "$1" \
    </dev/null 2>>"$gui_work/program.log" | tr -d '\r' >"$2"
  [ -s "$2" ] || gui_fail "the command-line tool read nothing from $1"
}

# gui_text_of VAR: the text a command printed, trailing line breaks included (command
# substitution would drop them): use as  gui_text_of var < <(command).
gui_text_of() {
  local text
  text=$(cat; echo .)
  printf -v "$1" '%s' "${text%.}"
}

# gui_record_browser: points Wine's browser launcher at a script that writes each address it
# is given as one line of $gui_browser_log, so a test sees which pages the program opened.
# The setting is removed again when the test ends.
gui_record_browser() {
  gui_browser_log=$gui_work/opened-pages.txt
  : >"$gui_browser_log"
  cat >"$gui_work/record-page.sh" <<RECORD
#!/bin/sh
printf '%s\n' "\$*" >>"$gui_browser_log"
RECORD
  chmod +x "$gui_work/record-page.sh"
  "$gui_root/scripts/wine.sh" --arch "$gui_arch" --prefix "$gui_prefix" -- reg add \
    'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$gui_work/record-page.sh" /f \
    >/dev/null 2>&1 </dev/null || gui_fail "could not point Wine's browser setting at a recorder"
}

# gui_wait_browsers_done LIMIT: waits until no browser launcher of this prefix runs any more.
gui_wait_browsers_done() {
  local deadline=$((SECONDS + $1)) pid busy
  while [ $SECONDS -lt $deadline ]; do
    busy=
    for pid in $(pgrep -f -i 'winebrowser|record-page' 2>/dev/null); do
      if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$gui_prefix"; then
        busy=1
      fi
    done
    [ -z "$busy" ] && return 0
    sleep 0.2
  done
  return 1
}
