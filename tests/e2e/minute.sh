#!/usr/bin/env bash
# A minute of announcing: the second cycle's idle line 60.5 s after the first shows 1, the counter
# shows 1 meanwhile, and Stop's "0" replaces it without a trace of the old digit; Start after Stop
# counts from 0 again.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client
e2e_start_vorivevo
e2e_wait_received 2
e2e_screenshot "$E2E_WORK/zero.png"

e2e_click 16 36  # ON
e2e_wait_received 4
e2e_wait_received 6 75
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$(e2e_idle_line 1)"
# The cycle: a 60 s wait after the idle line, then the advertisement and 0.5 s later the next idle line.
e2e_assert_between "seconds between the first two idle lines" "$(e2e_gap 4 6)" 60.5 61.5
e2e_assert_between "seconds between the first two advertisements" "$(e2e_gap 3 5)" 60.5 61.5

e2e_screenshot "$E2E_WORK/one.png"
(($(e2e_dark_pixels "$E2E_WORK/one.png" 56 56 33 9) > 0)) ||
  e2e_fail "no digit drawn in the counter's rectangle while it counts 1"
e2e_same_pixels "$E2E_WORK/zero.png" "$E2E_WORK/one.png" 56 56 33 9 &&
  e2e_fail "the counter's rectangle shows the same while it counts 1 as it did at 0"
e2e_same_pixels "$E2E_WORK/zero.png" "$E2E_WORK/one.png" 0 0 96 56 ||
  e2e_fail "the window above the counter changed while counting"

e2e_click 80 36  # OFF
e2e_wait_received 8
e2e_screenshot "$E2E_WORK/stopped.png"
e2e_same_pixels "$E2E_WORK/zero.png" "$E2E_WORK/stopped.png" ||
  e2e_fail "after Stop the window does not look as it did at 0 (a leftover digit?)"

e2e_click 16 36  # ON
e2e_wait_received 10
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$(e2e_idle_line 1)" "$E2E_ADVERT" "$E2E_OFF" "$E2E_ADVERT" "$(e2e_idle_line 0)"
e2e_pass
