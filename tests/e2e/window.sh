#!/usr/bin/env bash
# The window as a person sees and handles it: a frameless 96 x 73 panel whose tiles are stacked as
# drawn, with the counter's digit on the idle panel; above every other window and out of the task
# bar; moved by dragging its name bar; unchanged by hovering and by the counter's redraws.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client
e2e_start_vorivevo
e2e_wait_received 2

expect_pixel() {
  e2e_assert_eq "the colour at ($2, $3) ($4)" "$(e2e_pixel "$1" "$2" "$3")" "$5"
}

# The tiles' bevels: a lit orange band at the top and left, a dark brown one at the bottom and right.
expect_band() {
  local colour red
  colour=$(e2e_pixel "$1" "$2" "$3")
  red=$((16#${colour:0:2}))
  case $4 in
    lit) ((red >= 16#C0 && red < 16#FF)) ;;
    dark) ((red < 16#70)) ;;
  esac || e2e_fail "the colour at ($2, $3) is $colour, not the $4 band ($5)"
}

e2e_geometry
e2e_assert_eq "the window's size" "${E2E_W}x$E2E_H" "96x73"
e2e_assert_eq "the window's X border" "$(xwininfo -id "$E2E_WINDOW" | sed -n 's/.*Border width: *//p')" 0
start_x=$E2E_X start_y=$E2E_Y

shot=$E2E_WORK/start.png
e2e_screenshot "$shot"
expect_pixel "$shot" 48 12 "name bar's face" FFA000
expect_pixel "$shot" 16 30 "ON's face" FFA000
expect_pixel "$shot" 48 30 "X's face" FFA000
expect_pixel "$shot" 80 30 "OFF's face" FFA000
expect_pixel "$shot" 80 60 "idle panel's face" FFA000
# Exit lies above both neighbours, so the seams show its left and right bands.
expect_band "$shot" 31 36 dark "Start's right edge"
expect_band "$shot" 32 36 lit "Exit's left edge over Start"
expect_band "$shot" 64 36 dark "Exit's right edge over Stop"
expect_band "$shot" 65 36 lit "Stop's left edge"
# The command row lies above the name bar, the idle panel above the command row.
expect_band "$shot" 48 23 dark "the name bar's bottom"
expect_band "$shot" 48 24 lit "the command row's top over the name bar"
expect_band "$shot" 48 47 dark "the command row's bottom"
expect_band "$shot" 48 48 lit "the idle panel's top over the command row"
# The last row is the hidden text boxes' top border, grey, across the whole width.
for x in 0 40 95; do
  colour=$(e2e_pixel "$shot" "$x" 72)
  [[ "${colour:0:2}" == "${colour:2:2}" && "${colour:2:2}" == "${colour:4:2}" ]] ||
    e2e_fail "the colour at ($x, 72) is $colour, not the grey of a text box's border"
done
digit=$(e2e_dark_pixels "$shot" 56 56 33 9)
((digit > 0)) || e2e_fail "no digit drawn in the counter's rectangle"
# The digit is centred in the counter's width, well clear of the "IDLE FOR:" lettering's end at x = 49.
e2e_assert_eq "dark pixels between the lettering and the counter" "$(e2e_dark_pixels "$shot" 50 56 10 9)" 0

e2e_probe style Form1 || e2e_fail "window_probe style Form1: $E2E_PROBE_OUT"
e2e_assert_eq "the window's styles" "$E2E_PROBE_OUT" "topmost=1 toolwindow=1 appwindow=0 caption=0 visible=1"
# What Wine tells a window manager and a task bar.
states=$(xprop -id "$E2E_WINDOW" _NET_WM_STATE)
[[ "$states" == *_NET_WM_STATE_ABOVE* && "$states" == *_NET_WM_STATE_SKIP_TASKBAR* ]] ||
  e2e_fail "the X window's states: $states"

e2e_drag 48 12 250 200
e2e_geometry
e2e_assert_eq "the window's place after dragging it by (250, 200)" "$E2E_X,$E2E_Y" \
  "$((start_x + 250)),$((start_y + 200))"

# The client's frame brought to the front over the window, as a click on it would.
frame=$(xdotool search --onlyvisible --name '^Practice Chat$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$frame" | sed 's/^/FRAME_/')"
((FRAME_X <= E2E_X && FRAME_Y <= E2E_Y && FRAME_X + FRAME_WIDTH >= E2E_X + 96 &&
  FRAME_Y + FRAME_HEIGHT >= E2E_Y + 73)) ||
  e2e_fail "the client's frame ($FRAME_WIDTH x $FRAME_HEIGHT at $FRAME_X, $FRAME_Y) does not cover the window"
e2e_probe raise 'Practice Chat' || e2e_fail "window_probe raise: $E2E_PROBE_OUT"
# The pointer rests on the name bar after the drag; now it hovers over ON as well.
xdotool mousemove $((E2E_X + 16)) $((E2E_Y + 36))
e2e_screenshot "$E2E_WORK/raised.png"
e2e_same_pixels "$shot" "$E2E_WORK/raised.png" ||
  e2e_fail "the window looks different with the client's frame raised over it and the pointer on ON"
# A dialog the client opens later, on top of its own windows, still goes below this one. (Without a
# window manager Wine maps such a pop-up above every X window whatever the order, so only the order
# itself can be checked.)
e2e_control open-modal
e2e_wait_event '#open modal 1'
e2e_probe zorder
e2e_assert_eq "the windows from the front" "$(head -3 <<<"$E2E_PROBE_OUT" | paste -sd ,)" \
  "Form1,Modal 1,Practice Chat"
# It would also take the clicks meant for the window.
e2e_control close-modal
e2e_wait_event '#close modal 1'

# Start and Stop write the counter anew: the same "0" must show, drawn where it was. (minute.sh sees
# the digit change and change back.)
e2e_click 16 36  # ON
e2e_wait_received 4
e2e_click 80 36  # OFF
e2e_wait_received 6
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF"
e2e_screenshot "$E2E_WORK/after-stop.png"
e2e_same_pixels "$shot" "$E2E_WORK/after-stop.png" 56 56 33 9 ||
  e2e_fail "the counter's rectangle differs after Start and Stop"
e2e_pass
