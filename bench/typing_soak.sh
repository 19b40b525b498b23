#!/usr/bin/env bash
# Typing on while we post, as a soak: vorivevo.exe under Wine against the practice client, which types
# through one path at a time (the keyboard, then its own thread) in bursts of 20 to 150 keys at 50 a
# second with pauses of 0.5 to 2 s between them, while ON and OFF are clicked in turn through the X
# server, each click once the one before has posted its two lines (or after 10 s), in rounds of five
# clicks, until at least 100 of our lines have been posted (or 10 minutes have passed). After each round
# the entry box and the room say where every key went. Prints, per path, the lines posted and the keys
# typed, lost and sent (target 0 and 0), and the delay that keys through the keyboard take to reach the
# box, with the client alone, with vorivevo.exe's keyboard hook, and while it posts. Exits 1 if a target
# is missed. BENCH_SEED picks the bursts, the pauses and the waits between clicks (default: from the
# clock; printed).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/bench.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lib/typing.sh"

readonly kPosts=100 kRate=50 kClickWait=10 kClicksPerRound=5 kPathSeconds=600
readonly kStartX=16 kStartY=36 kStopX=80 kStopY=36 kExitX=48 kExitY=36
seed=${BENCH_SEED:-$((EPOCHSECONDS % 100000))}
RANDOM=$seed
bench_log "seed $seed"
draft='soak draft '

bench_build || e2e_fail "the build failed"

# The key delays of the keyboard runs since the log line FROM: the median of the runs' medians, and the
# worst of all (ms).
delays_since() {
  tail -n +"$1" "$E2E_LOG" | cut -f2 | awk '$1 == "#typed" && $2 == "keyboard" {
      medians[++n] = $7; if ($8 > worst) worst = $8
    }
    END {
      for (i = 2; i <= n; i++) for (j = i; j > 1 && medians[j - 1] > medians[j]; j--) {
        t = medians[j]; medians[j] = medians[j - 1]; medians[j - 1] = t
      }
      printf "%s / %s", n ? medians[int((n + 1) / 2)] : "none", n ? worst : "none"
    }'
}

# Bursts of 20 to 150 keys, each once the one before has been reported (half a second after its last key)
# and a pause of up to 1.5 s more has passed: a typist's pauses, from just over the half second that a post
# waits for to two seconds.
queued=0
nextBurstAt=0  # epoch microseconds; 0: the pause before the next burst is still to be drawn
feed_typing() {
  local path=$1 now
  (($(cut -f2 "$E2E_LOG" | grep -ac "^#typed $path ") >= queued)) || return 0
  now=${EPOCHREALTIME/[.,]/}
  if ((nextBurstAt == 0)); then
    nextBurstAt=$((now + (RANDOM % 1500) * 1000))
  elif ((now >= nextBurstAt)); then
    typing_run "$path" $((20 + RANDOM % 131)) "$kRate"
    queued=$((queued + 1))
    nextBurstAt=0
  fi
}

# One round: the draft put back, the user in the box, bursts of keys kept going while ON and OFF are
# clicked kClicksPerRound times, then the account of where its keys went. Rounds keep the box as short as a
# chat line's draft is: an edit box slows down with every thousand characters it holds.
round_keys=0 round_in_box=0 round_sent=0 round_lost=0 round_posted=0 round_clicks=0 round_notes=()
soak_round() {
  local path=$1 click before deadline from
  typing_begin "$draft"
  from=$TYPING_FROM
  queued=$(cut -f2 "$E2E_LOG" | grep -ac "^#typed $path ") nextBurstAt=0
  feed_typing "$path"
  for ((click = 0; click < kClicksPerRound; click++)); do
    sleep "0.$((RANDOM % 10))"
    before=$(e2e_received | wc -l)
    if ((round_clicks % 2 == 0)); then bench_click $kStartX $kStartY; else bench_click $kStopX $kStopY; fi
    round_clicks=$((round_clicks + 1))
    deadline=$((SECONDS + kClickWait))
    while (($(e2e_received | wc -l) < before + 2 && SECONDS < deadline)); do
      feed_typing "$path"
      sleep 0.1
    done
    feed_typing "$path"
  done
  until (($(cut -f2 "$E2E_LOG" | grep -ac "^#typed $path ") >= queued)); do typing_wait_typed "$path" 30; done
  bench_wait_quiet 1 || e2e_fail "$path: the room kept receiving lines after the typing ended"
  typing_account "$draft" "$from"
  round_keys=$((round_keys + TYPING_KEYS)) round_in_box=$((round_in_box + TYPING_IN_BOX))
  round_sent=$((round_sent + TYPING_SENT + TYPING_ALONE)) round_lost=$((round_lost + TYPING_LOST))
  round_posted=$((round_posted + TYPING_POSTED))
  [[ -z "$TYPING_STRAY" ]] || round_notes+=("the box holds besides the draft and the keys in order: $TYPING_STRAY")
  [[ -z "$TYPING_GARBLED" ]] || round_notes+=("lines neither ours nor ours with keys: ${TYPING_GARBLED//$'\n'/ | }")
}

soak_path() {
  local path=$1 start=$SECONDS note
  round_keys=0 round_in_box=0 round_sent=0 round_lost=0 round_posted=0 round_clicks=0 round_notes=()
  while ((round_posted < kPosts && SECONDS - start < kPathSeconds)); do soak_round "$path"; done
  local ok=$((round_lost == 0 && round_sent == 0 && ${#round_notes[@]} == 0 && round_posted >= kPosts))
  local per=$((round_posted > 0 ? round_posted : 1))
  bench_row "Wine: typing through the $path, $round_clicks clicks, $round_posted of our lines posted: keys lost, keys sent (of $round_keys typed; $round_in_box in the box)" \
    "$round_lost, $round_sent ($(printf '%.1f, %.1f' "$(bench_calc "100 * $round_lost / $per")" "$(bench_calc "100 * $round_sent / $per")") per 100 posts)" \
    "0 and 0, in $kPosts posts or more" "$(bench_verdict "$ok")"
  for note in "${round_notes[@]}"; do bench_log "$path: $note"; done
  ((round_posted >= kPosts)) || bench_log "$path: only $round_posted of our lines were posted in $kPathSeconds s"
}

e2e_begin
bench_fresh_client room --draft "$draft"
typing_user_in_client
# Sets DELAYS for 200 keys through the keyboard (not in a subshell: the client's sequence of keys moves on).
delay_run() {
  local from=$(($(wc -l <"$E2E_LOG") + 1))
  typing_run keyboard 200 "$kRate"
  typing_wait_typed keyboard 30
  DELAYS=$(delays_since "$from")
}
delay_run
alone=$DELAYS
e2e_start_vorivevo
e2e_wait_received 2 20
bench_wait_quiet 0.5
typing_user_in_client
delay_run
hooked=$DELAYS
logFrom=$(($(wc -l <"$E2E_LOG") + 1))
soak_path keyboard
bench_row "Wine: keys through the keyboard, SendInput → the entry box, median / worst ms: client alone → with vorivevo.exe's keyboard hook → while it posts" \
  "$alone → $hooked → $(delays_since "$logFrom")" "none" info
soak_path thread
bench_click $kExitX $kExitY
e2e_wait_gone "$E2E_VORIVEVO_PID" 15 || e2e_fail "vorivevo.exe did not end after X"
echo "seed $seed"
bench_table
(($(bench_failures) == 0))
