#!/usr/bin/env bash
# Hovering each part of the window shows a tooltip that says what it does, and the name bar's tells what
# the last post did: here, with no chat room open, that nothing was posted. Screenshots of each tip
# stay in the work directory (VORIVEVO_E2E_KEEP=1 keeps them).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client --room-position 0
e2e_start_vorivevo

e2e_screenshot "$E2E_WORK/plain.png"
# The tiles by a point inside each, and the word their tooltips begin with.
spots=("name-bar 48 12 Drag" "on 16 36 Start:" "x 48 36 Exit:" "off 80 36 Stop:" "idle 48 60 Minutes")
for spot in "${spots[@]}"; do
  read -r name x y word <<<"$spot"
  e2e_hover "$x" "$y"
  e2e_wait_tooltip
  read -r left top right bottom <<<"$E2E_TOOLTIP"
  import -window root -crop "$((right + 8))x$((bottom + 8))+0+0" +repage "$E2E_WORK/tip-$name.png" ||
    e2e_fail "no screenshot"
  # The tip is drawn where the probe says, with its words in it.
  (($(e2e_dark_pixels "$E2E_WORK/tip-$name.png" "$left" "$top" $((right - left)) $((bottom - top))) > 20)) ||
    e2e_fail "the $name tooltip at $E2E_TOOLTIP shows no text on the screen"
  [[ "$E2E_TOOLTIP_TEXT" == "$word "* ]] || e2e_fail "the $name tooltip does not begin with '$word': $E2E_TOOLTIP_TEXT"
  # A screen reader reads the same words as the tile's description.
  e2e_probe accessible Form1 "$x" "$y" || e2e_fail "no accessible object for the $name tile: $E2E_PROBE_OUT"
  e2e_assert_eq "the $name tile's description" "$(sed -n '2,$p' <<<"$E2E_PROBE_OUT")" "description=$E2E_TOOLTIP_TEXT"
  xdotool mousemove 900 900
  e2e_wait_no_tooltip
done

# The window looks as it did once no tip shows.
e2e_screenshot "$E2E_WORK/after.png"
e2e_same_pixels "$E2E_WORK/plain.png" "$E2E_WORK/after.png" || e2e_fail "the window changed after hovering"

e2e_click 16 36  # ON
sleep 1
e2e_assert_eq "lines the room received" "$(e2e_received | wc -l)" 0
xdotool mousemove 900 900
e2e_hover 48 12
e2e_wait_tooltip
[[ "$E2E_TOOLTIP_TEXT" =~ No\ chat\ room\ open\ at\ [0-9][0-9]:[0-9][0-9]:\ nothing\ posted$ ]] ||
  e2e_fail "the name bar's tooltip does not say that nothing was posted: $E2E_TOOLTIP_TEXT"
import -window root -crop 500x200+0+0 +repage "$E2E_WORK/tip-nothing-posted.png" || e2e_fail "no screenshot"
e2e_pass
