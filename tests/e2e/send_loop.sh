#!/usr/bin/env bash
# A Send handler that runs a message loop (a warning box shown inside it) answers our later messages
# from inside that loop while our press is still under way: the draft and caret come back only once the
# handler has returned, so that it never sends the draft; the same when Exit comes while it runs, which
# hides the window at once but stays until the draft is back.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin

draft='half a thought'

# Longer than the time-out and the hold after it together.
e2e_start_client --draft "$draft" --select 2 7 --send-loop 8
# Start-up's advertisement waits in the handler's loop; "Now Loaded" finds the press still under way.
e2e_start_vorivevo
e2e_wait_event '#send-loop ends' 20
e2e_wait_received 1 5
e2e_wait_for_draft "$draft" "2 7" 5
e2e_expect_transcript "$E2E_ADVERT"

# Exit while the handler runs its loop: the window goes at once (after the press's time-out), but the
# program ends only once the draft is back.
e2e_click 48 36  # X
e2e_wait_event '#send-loop begins' 10 2
deadline=$((SECONDS + 6))
while [[ -n "$(_e2e_find_window)" ]]; do
  ((SECONDS < deadline)) || e2e_fail "the window still shows 6 s after X"
  sleep 0.1
done
vv_alive "$E2E_VORIVEVO_PID" || e2e_fail "vorivevo.exe ended before the handler's loop did"
e2e_assert_eq "handler loops ended when the window went" "$(e2e_events '#send-loop ends')" 1
e2e_wait_gone "$E2E_VORIVEVO_PID" 30 || e2e_fail "vorivevo.exe still runs 30 s after X"
e2e_note "Exit during the handler's loop: ended after $E2E_ELAPSED s"
e2e_assert_eq "handler loops ended by then" "$(e2e_events '#send-loop ends')" 2
e2e_wait_for_draft "$draft" "2 7" 5
e2e_expect_transcript "$E2E_ADVERT" "$E2E_ADVERT"
e2e_pass
