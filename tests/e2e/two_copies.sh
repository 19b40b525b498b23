#!/usr/bin/env bash
# A second copy started by mistake within a second of the first, against a client whose Send is slow: each
# copy waits its turn for the client's entry boxes and posts its own start-up lines, the advertisement and
# "Now Loaded" twice in all, each copy's advertisement before its "Now Loaded"; the draft comes back.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
e2e_begin

draft='two of us'
e2e_start_client --draft "$draft" --slow-send 0.7

pids=()
for copy in 1 2; do
  "$VV_WINE" "$VORIVEVO_EXE" >>"$E2E_WORK/vorivevo.out" 2>&1 &
  pids+=($!)
  vv_track_pid $!
  ((copy == 1)) && sleep 0.5
done
# Each window shows once its start-up has posted, or given up.
deadline=$((SECONDS + 60))
until (($(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | wc -l) == 2)); do
  for pid in "${pids[@]}"; do vv_alive "$pid" || e2e_fail "a copy of vorivevo.exe ended before its window showed"; done
  ((SECONDS < deadline)) || e2e_fail "two windows titled Form1 did not show within 60 s"
  sleep 0.1
done
# Four lines, or as many as come within 10 s; then nothing more may come.
deadline=$((SECONDS + 10))
while (($(e2e_received | wc -l) < 4 && SECONDS < deadline)); do sleep 0.1; done
sleep 1.5
mapfile -t lines < <(e2e_received)
adverts=0 loaded=0
for line in "${lines[@]}"; do
  case $line in
    "$E2E_ADVERT") adverts=$((adverts + 1)) ;;
    "$E2E_LOADED") loaded=$((loaded + 1)) ;;
    *) e2e_fail "the room received a line of neither start-up: $line" ;;
  esac
  ((loaded <= adverts)) || e2e_fail "a \"Now Loaded\" came before its copy's advertisement: $(printf '%s | ' "${lines[@]}")"
done
e2e_note "the room received $adverts advertisements and $loaded \"Now Loaded\" from two copies"
e2e_assert_eq "advertisements from two copies" "$adverts" 2
e2e_assert_eq "\"Now Loaded\" from two copies" "$loaded" 2
e2e_wait_for_draft "$draft" "9 9" 10
e2e_pass
