#!/usr/bin/env bash
# How the program ends other than by a plain Exit: a close request from the window system (idle,
# announcing, Off) ends it without posting; Exit with the client not responding still ends it.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client

# Runs vorivevo.exe, clicks the given window-relative points (each followed by the number of lines the
# room has then received), sends a close request and checks that it ends and posts nothing more.
close_after() {
  local state=$1
  shift
  local lines
  lines=$(e2e_received | wc -l)
  e2e_start_vorivevo
  e2e_wait_received $((lines + 2))
  while (($# > 0)); do
    e2e_click "$1" "$2"
    e2e_wait_received "$3"
    shift 3
  done
  local before
  before=$(e2e_received)
  e2e_probe close Form1 || e2e_fail "window_probe close Form1 ($state): $E2E_PROBE_OUT"
  e2e_wait_gone "$E2E_VORIVEVO_PID" 10 || e2e_fail "vorivevo.exe still runs 10 s after a close request ($state)"
  e2e_note "closed while $state: ended after $E2E_ELAPSED s"
  [[ "$(e2e_received)" == "$before" ]] ||
    e2e_fail "the room received lines after a close request ($state):"$'\n'"$(e2e_received)"
}

close_after idle
close_after announcing 16 36 6
close_after Off 16 36 10 80 36 12
e2e_expect_transcript \
  "$E2E_ADVERT" "$E2E_LOADED" \
  "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" "$E2E_ADVERT" "$E2E_OFF"

# Longer than the program may take to end, so that a message without a time-out would show.
e2e_start_vorivevo
e2e_wait_received 14
e2e_control 'hang 40'
e2e_wait_event '#hang 40'
e2e_click 48 36  # X
# One message waits out its 2 s time-out; after that the client's thread is not waited for again for a
# while, so both posts fail at once. Wine adds 2 s when the window goes.
e2e_wait_gone "$E2E_VORIVEVO_PID" 7 ||
  e2e_fail "vorivevo.exe still runs 7 s after X with the client not responding"
e2e_note "Exit with the client hung: ended after $E2E_ELAPSED s"
e2e_pass
