#!/usr/bin/env bash
# The user's draft and caret in the client's entry box: a box that keeps its text gets nothing sent (least
# of all the draft), every post leaves the caret where the user left it, after a Send slower than the
# time-out the draft and caret come back once the client answers again, and a post leaves the keyboard
# focus in the box.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin

draft='my private words'

e2e_start_client --draft "$draft" --select 2 7 --keep-text
e2e_start_vorivevo  # its window shows once start-up has posted, or tried to
e2e_wait_for_draft "$draft" "2 7" 5
e2e_assert_eq "lines received from a box that keeps its text" "$(e2e_received | wc -l)" 0
e2e_assert_eq "presses of Send on a box that keeps its text" "$(e2e_events '#press send')" 0

e2e_control "keep-text off"
e2e_wait_event "#keep-text off"
e2e_click 16 36  # ON
e2e_wait_received 2
e2e_wait_for_draft "$draft" "2 7" 5

# The press outlasts the time-out; the window system then holds off the client for a few seconds, and
# "Status: Off!" finds it still owing an answer, so only the advertisement goes.
e2e_control "slow-send 3"
e2e_wait_event "#slow-send 3"
e2e_click 80 36  # OFF
e2e_wait_received 3 10
e2e_wait_for_draft "$draft" "2 7" 15
e2e_expect_transcript "$E2E_ADVERT" "$(e2e_idle_line 0)" "$E2E_ADVERT"

# Send takes the keyboard focus on its button-down, as a button does. The user comes back to the client and
# clicks into the entry box; a post (OFF, pressed as a screen reader does, which leaves the client the
# active program) must leave the focus there, so that the next key lands in the draft, not on Send.
# The client's answer to show-focus: a new line each time, waited for, so that an earlier one is not read.
focus_lines() { cut -f2 "$E2E_LOG" | grep -ac '^#focus ' || true; }
show_focus() {
  local seen
  seen=$(focus_lines)
  e2e_control show-focus
  for _ in $(seq 50); do
    (($(focus_lines) > seen)) && break
    sleep 0.1
  done
  cut -f2 "$E2E_LOG" | grep -a '^#focus ' | tail -1
}
e2e_control "slow-send 0"
e2e_wait_event "#slow-send 0"
client_frame=$(xdotool search --onlyvisible --name '^Practice Chat$' | head -1)
[[ -n "$client_frame" ]] || e2e_fail "the practice client's frame is not on the display"
xdotool windowfocus --sync "$client_frame" || e2e_fail "could not give the client the keyboard"
e2e_control focus-entry
e2e_assert_eq "the client's focus before the post" "$(show_focus)" "#focus entry"
e2e_probe accessible Form1 80 36 press || e2e_fail "pressing OFF as a screen reader does: $E2E_PROBE_OUT"
e2e_wait_received 5 10
# The room logs the line while Send's handler runs; the focus goes back once that handler has returned to
# us, a moment later: asked until it is back, for a few seconds.
focus=
for _ in $(seq 20); do
  focus=$(show_focus)
  [[ "$focus" == "#focus entry" ]] && break
  sleep 0.2
done
e2e_assert_eq "the client's focus after the post" "$focus" "#focus entry"
xdotool key x
draft='myxate words'  # the x took the place of the selection " priv"
e2e_wait_for_draft "$draft" "3 3" 5
e2e_expect_transcript "$E2E_ADVERT" "$(e2e_idle_line 0)" "$E2E_ADVERT" "$E2E_ADVERT" "$E2E_OFF"
e2e_pass
