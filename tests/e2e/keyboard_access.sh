#!/usr/bin/env bash
# The window from the keyboard and through a screen reader's interface: no focus mark until the
# keyboard is used, then one on the focused tile; Space on ON starts announcing; each tile has the name
# and role a screen reader announces, and pressing OFF through it stops.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin
e2e_start_client
e2e_start_vorivevo
e2e_wait_received 2

e2e_screenshot "$E2E_WORK/plain.png"
e2e_keys  # the keyboard's focus alone marks nothing
e2e_screenshot "$E2E_WORK/focused.png"
e2e_same_pixels "$E2E_WORK/plain.png" "$E2E_WORK/focused.png" || e2e_fail "a focus mark before any key"

e2e_keys Tab  # from the name bar to ON
e2e_screenshot "$E2E_WORK/tab.png"
e2e_same_pixels "$E2E_WORK/plain.png" "$E2E_WORK/tab.png" && e2e_fail "no focus mark after Tab"
# The mark lies on ON alone: the rest of the window is as it was.
e2e_same_pixels "$E2E_WORK/plain.png" "$E2E_WORK/tab.png" 33 0 63 73 || e2e_fail "Tab changed more than ON"
e2e_same_pixels "$E2E_WORK/plain.png" "$E2E_WORK/tab.png" 0 0 96 24 || e2e_fail "Tab changed the name bar"

e2e_keys space
e2e_wait_received 4
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)"

# role: 4 grip, 43 push button, 41 static text.
expect_accessible() {
  e2e_probe accessible Form1 "$1" "$2" || e2e_fail "no accessible object at ($1, $2): $E2E_PROBE_OUT"
  e2e_assert_eq "what a screen reader reads at ($1, $2)" "$(head -1 <<<"$E2E_PROBE_OUT")" "$3"
}
expect_accessible 48 12 "role=4 name=VORIVEVO"
expect_accessible 16 36 "role=43 name=ON"
expect_accessible 48 36 "role=43 name=X"
expect_accessible 80 36 "role=43 name=OFF"
expect_accessible 48 60 "role=41 name=Idle for 0 minutes"

e2e_probe accessible Form1 80 36 press || e2e_fail "pressing OFF as a screen reader does: $E2E_PROBE_OUT"
e2e_wait_received 6
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" "$E2E_ADVERT" "$E2E_OFF"
e2e_pass
