#!/usr/bin/env bash
# Clicks on the one-pixel seams between the tiles go to the tile drawn on top: columns 32 and 64 of
# the command row to Exit, row 24 to the command row rather than the name bar; the columns beside
# the seams to Start and Stop.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client

exit_by_click() {
  e2e_click "$1" "$2"
  e2e_wait_received "$3"
  e2e_wait_gone "$E2E_VORIVEVO_PID" 10 || e2e_fail "vorivevo.exe still runs 10 s after a click at ($1, $2)"
}

e2e_start_vorivevo
e2e_wait_received 2
e2e_click 31 36  # Start's last visible column
e2e_wait_received 4
e2e_click 65 36  # Stop's first visible column
e2e_wait_received 6
exit_by_click 32 36 8
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF" "$E2E_ADVERT" "$E2E_UNLOADED"

e2e_start_vorivevo
e2e_wait_received 10
e2e_geometry
place="$E2E_X,$E2E_Y"
# Were row 24 the name bar's, this press would start a drag and post nothing.
e2e_click 16 24
e2e_wait_received 12
e2e_geometry
e2e_assert_eq "the window's place after a click on row 24" "$E2E_X,$E2E_Y" "$place"
exit_by_click 64 36 14
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF" "$E2E_ADVERT" "$E2E_UNLOADED" \
  "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" "$E2E_ADVERT" "$E2E_UNLOADED"
e2e_pass
