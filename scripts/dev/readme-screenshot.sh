#!/usr/bin/env bash
# Takes the README's screenshot: vorivevo.exe beside the practice client under Wine, on an X server of
# its own, after a click on ON has posted into the room. Uses the build that the end-to-end tests use
# (build/win32, or build/win64 where this machine runs no 32-bit programs), so build that first.
#
#   scripts/dev/readme-screenshot.sh [FILE]      (default: docs/beside-practice-client.png)
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out=${1:-$root/docs/beside-practice-client.png}
[[ "$out" == /* ]] || out=$PWD/$out
source "$root/tests/e2e/lib/e2e.sh"
E2E_NAME=readme-screenshot
e2e_begin
e2e_start_client
e2e_start_vorivevo
e2e_wait_received 2

# It first shows over the client's top-left corner; a person would set it beside the frame.
e2e_client_geometry
e2e_geometry
e2e_drag 48 12 $((E2E_CLIENT_X + E2E_CLIENT_W + 16 - E2E_X)) $((E2E_CLIENT_Y - E2E_Y))
e2e_click 16 36  # ON
e2e_wait_received 4
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)"

# Nothing that hovering shows belongs in the picture.
read -r _ screen_height <<<"$(xdotool getdisplaygeometry)"
xdotool mousemove 0 $((screen_height - 1))
# The room paints its lines after receiving them: take pictures until two in a row agree.
shot=$E2E_WORK/shot.png previous=$E2E_WORK/previous.png
e2e_screenshot_with_client "$previous"
for ((i = 0; i < 50; i++)); do
  sleep 0.1
  e2e_screenshot_with_client "$shot"
  e2e_same_pixels "$shot" "$previous" && break
  mv "$shot" "$previous"
done
((i < 50)) || e2e_fail "the screen did not settle within 5 s"
cp "$shot" "$out" || e2e_fail "cannot write $out"
e2e_note "wrote $out ($(identify -format '%w x %h' "$out"), $(stat -c %s "$out") bytes)"
