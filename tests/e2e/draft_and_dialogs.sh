#!/usr/bin/env bash
# The user's unsent draft survives every post, and the client's palette and modal dialogs are left
# alone until Start, then pressed (palette first) once a second, also while Off.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin

# The draft goes back a few messages after the client has taken the line, so a look right after the line
# may still find the box empty: ask again until the box shows it, for 5 s at most.
expect_entry() {
  local deadline=$((SECONDS + 5)) asked seen='(not shown)'
  while [[ "$seen" != "#entry $1" ]]; do
    ((SECONDS < deadline)) || e2e_fail "after 5 s the entry box shows '${seen#\#entry }', not '$1'"
    asked=$(cut -f2- "$E2E_LOG" | grep -c '^#entry' || true)
    e2e_control show-entry
    while (($(cut -f2- "$E2E_LOG" | grep -c '^#entry' || true) == asked && SECONDS < deadline)); do
      sleep 0.02
    done
    seen=$(cut -f2- "$E2E_LOG" | grep '^#entry' | tail -1)
  done
}

draft='still typing \xF7\xA4 <b>'
e2e_start_client --draft 'still typing ÷¤ <b>' --modal
e2e_start_vorivevo
e2e_wait_received 2
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED"
expect_entry "$draft"

# Typed while the program runs; its bytes F7 A4 must come back as they were.
draft='second draft \xF7\xA4'
e2e_control "draft $draft"
e2e_control open-palette
e2e_wait_event '#open palette 1'
# Absence can only be shown by waiting: longer than a timer interval.
sleep 1.5
e2e_assert_eq "palette presses before Start" "$(e2e_events '#press palette 1 icon 0')" 0
e2e_assert_eq "modal presses before Start" "$(e2e_events '#press modal 1 icon 0')" 0

e2e_click 16 36  # ON
e2e_wait_received 4
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)"
expect_entry "$draft"
e2e_wait_event '#press modal 1 icon 0' 5 2

e2e_assert_eq "the first tick's presses, in order" \
  "$(grep -m2 $'\t#press \(palette\|modal\)' "$E2E_LOG" | cut -f2 | paste -sd ,)" \
  "#press palette 1 icon 0,#press modal 1 icon 0"
# Start enables the timer just before its first post, so its advertisement dates the enabling.
e2e_assert_between "seconds from Start's advertisement to the first modal press" \
  "$(e2e_seconds "$(e2e_received_time 3)" "$(e2e_event_time '#press modal 1 icon 0')")" 0.8 1.6
e2e_assert_between "seconds between the first two ticks" \
  "$(e2e_seconds "$(e2e_event_time '#press modal 1 icon 0')" "$(e2e_event_time '#press modal 1 icon 0' 2)")" \
  0.8 1.3

e2e_click 80 36  # OFF
e2e_wait_received 6
expect_entry "$draft"
ticks=$(e2e_events '#press modal 1 icon 0')
e2e_wait_event '#press modal 1 icon 0' 3 $((ticks + 1))

e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" \
  "$E2E_ADVERT" "$E2E_OFF"
# One press per line: the client took each line at once, and the draft was never sent.
e2e_assert_eq "send presses" "$(e2e_events '#press send')" 6
e2e_pass
