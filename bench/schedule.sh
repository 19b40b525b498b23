#!/usr/bin/env bash
# The idle lines' schedule over three whole cycles (about 3 min 10 s after the build): vorivevo.exe
# under Wine against the practice client, Start clicked once, the room's time stamps of idle lines
# 0 to 3 against the schedule. bench/run.sh checks one cycle. Prints the table; exits 1 if a target is
# missed. BENCH_CYCLES=N checks N cycles instead.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/bench.sh"

readonly kCycles=${BENCH_CYCLES:-3}
readonly kStartX=16 kStartY=36 kExitX=48 kExitY=36

bench_build || e2e_fail "the build failed"
e2e_begin
bench_fresh_client room
e2e_start_vorivevo
e2e_wait_received 2 20
bench_wait_quiet 0.5
bench_click $kStartX $kStartY
t0=$BENCH_T0
# Idle line k is due 60.5 k + 0.5 s after the click; a little more for the posts.
last=$(e2e_idle_line "$kCycles")
deadline=$(bench_calc "60.5 * $kCycles + 5")
while [[ -z "$(bench_line_after "$t0" "$last")" ]]; do
  awk -v now="$EPOCHREALTIME" -v t0="$t0" -v d="$deadline" 'BEGIN { exit !(now - t0 < d) }' ||
    e2e_fail "idle line $kCycles did not come within $deadline s of the click"
  sleep 0.5
done
bench_click $kExitX $kExitY
e2e_wait_gone "$E2E_VORIVEVO_PID" 10 || e2e_fail "vorivevo.exe did not end after X"
bench_schedule_rows "$t0" "$kCycles"
bench_table
(($(bench_failures) == 0))
