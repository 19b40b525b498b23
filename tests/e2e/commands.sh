#!/usr/bin/env bash
# What the room receives from start-up and from clicks on ON, OFF and X, byte for byte and in order,
# and that X ends the program.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client
e2e_start_vorivevo

# The window shows only once start-up has posted, so both lines are there already.
e2e_wait_received 2
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED"
# A whole-second wait (a plausible slip) would give 1 s here.
e2e_assert_between "seconds from the advertisement to Now Loaded" "$(e2e_gap 1 2)" 0.5 0.9

e2e_click 16 36  # ON
e2e_wait_received 4
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)"
e2e_assert_between "seconds from Start's advertisement to its idle line" "$(e2e_gap 3 4)" 0.5 0.9

e2e_click 80 36  # OFF
e2e_wait_received 6
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF"
e2e_assert_between "seconds from Stop's advertisement to Status: Off!" "$(e2e_gap 5 6)" 0.5 0.9

e2e_click 48 36  # X
e2e_wait_received 8
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF" "$E2E_ADVERT" "$E2E_UNLOADED"
e2e_assert_between "seconds from Exit's advertisement to Now Unloaded" "$(e2e_gap 7 8)" 0.4 0.8

# Wine stalls about 2 s when it destroys a window it manages; Windows would not.
e2e_wait_gone "$E2E_VORIVEVO_PID" 8 || e2e_fail "vorivevo.exe still runs 8 s after Now Unloaded"
e2e_note "vorivevo.exe ended $E2E_ELAPSED s after Now Unloaded was received"
e2e_assert_eq "windows titled Form1 after Exit" "$(xdotool search --name '^Form1$' 2>/dev/null)" ""
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF" "$E2E_ADVERT" "$E2E_UNLOADED"
e2e_pass
