#!/usr/bin/env bash
# Typing on while we post. The practice client types 300 keys at 50 a second into its entry box after the
# user's draft, first through the keyboard (SendInput), then in its own thread (WM_CHAR posted to its
# focused window), while ON is clicked five times as a person clicks, through the X server, with no click
# back into the box. Through the keyboard the box ends with the draft and every key in order, and no key
# reaches the room. In the client's own thread, which no program outside can see typing, no key is lost
# (each is in the box, in order, or went out with one of our lines) and none of our text stays in the box.
# Both paths run and print their counts before the test fails on what either broke; the last click's two
# lines must be posted.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lib/typing.sh"
e2e_begin

readonly kKeys=300 kRate=50 kClicks=5 kClickGap=1.1
draft='my draft '

e2e_start_client --draft "$draft"
e2e_start_vorivevo
e2e_wait_received 2

# The epoch time of the first line received at or after T0 that holds TEXT (keys may be around it).
line_after() {
  E2E_TEXT=$2 awk -F '\t' -v t0="$1" '$1 >= t0 && $2 !~ /^#/ && index($2, ENVIRON["E2E_TEXT"]) { print $1; exit }' \
    "$E2E_LOG"
}

type_while_clicking() {
  local path=$1 from lastClick i
  typing_begin "$draft"
  from=$TYPING_FROM
  typing_run "$path" $kKeys $kRate
  for ((i = 0; i < kClicks; i++)); do
    sleep "$kClickGap"
    lastClick=$EPOCHREALTIME
    e2e_click 16 36  # ON
  done
  typing_wait_typed "$path" 30
  # However long they waited for a pause in the typing, the last click's lines come.
  local deadline=$((SECONDS + 20))
  until [[ -n "$(line_after "$lastClick" "$(e2e_idle_line 0)")" ]]; do
    ((SECONDS < deadline)) || e2e_fail "$path: the last click's idle line did not come within 20 s of the last key"
    sleep 0.1
  done
  typing_account "$draft" "$from"
  e2e_note "$path: keys typed $TYPING_KEYS, in the box $TYPING_IN_BOX, sent with our lines $TYPING_SENT," \
    "sent alone $TYPING_ALONE, lost $TYPING_LOST; our lines due $((2 * kClicks)) ($kClicks clicks), posted" \
    "$TYPING_POSTED [${TYPING_RECORD#\#}]"
  [[ -z "$TYPING_GARBLED" ]] || broken "$path: the room received lines that are neither ours nor ours with keys:"$'\n'"$TYPING_GARBLED"
  [[ -z "$TYPING_STRAY" ]] || broken "$path: after the draft and the keys in order, the box holds: $TYPING_STRAY"
  expect "$path: keys sent without a line of ours (the user's own text sent)" "$TYPING_ALONE" 0
  expect "$path: keys lost" "$TYPING_LOST" 0
}

failures=()
broken() { failures+=("$1"); }
expect() { [[ "$2" == "$3" ]] || broken "$1: got $2, expected $3"; }

type_while_clicking keyboard
# A key typed through the keyboard reaches the box unless a window of the client's other than the box has
# the focus: none may go out, and none may be written over.
expect "keyboard: keys sent with our lines" "$TYPING_SENT" 0
expect "keyboard: keys in the box" "$TYPING_IN_BOX" "$kKeys"
type_while_clicking thread
((${#failures[@]} == 0)) || e2e_fail "$(printf '%s\n' "${failures[@]}")"
e2e_pass
