#!/usr/bin/env bash
# Every benchmark but the three-cycle schedule (bench/schedule.sh), in about five minutes after the
# build: size and imports of the .exe files; the cost of a post and memory under 100,000 commands on
# the simulated desktop; then vorivevo.exe under Wine on a private X server against the practice
# client: the cost of a post, click-to-line latency, memory over 2,000 clicks, and CPU while
# announcing for 120 s with the first cycle's schedule. Prints the table (measure, figure, target,
# result) and writes it to BENCH_OUT (default build/bench-results.md); exits 1 if a target is missed.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/bench.sh"

BENCH_OUT=${BENCH_OUT:-$_bench_root/build/bench-results.md}
readonly kLatencyClicks=50
readonly kWarmUpClicks=200
readonly kMemoryClicks=2000
readonly kCpuSeconds=120
readonly kBaselineSeconds=30
# Tiles, in window pixels.
readonly kStartX=16 kStartY=36 kStopX=80 kStopY=36 kExitX=48 kExitY=36

bench_build || e2e_fail "the build failed"

size_rows() {
  local preset dir exe bytes dlls
  for preset in win32 win64; do
    [[ "$preset" == win32 ]] && dir=$BENCH_WIN32_DIR || dir=$BENCH_WIN64_DIR
    exe=$dir/platform/win32/vorivevo.exe
    [[ -f "$exe" ]] || e2e_fail "no $exe: build the $preset preset first"
    bytes=$(stat -c %s "$exe")
    dlls=$(exe_dlls "$exe")
    local system=1
    # shellcheck disable=SC2086
    exe_dlls_are_system $dlls || system=0
    if [[ "$preset" == win32 ]]; then
      bench_row "size of vorivevo.exe, i686" "$((bytes / 1024)) KiB ($bytes bytes)" "< 300 KiB" \
        "$(bench_verdict "$((bytes < 300 * 1024))")"
    else
      bench_row "size of vorivevo.exe, x86_64" "$((bytes / 1024)) KiB ($bytes bytes)" "none" info
    fi
    bench_row "DLLs imported by the $preset .exe" "$dlls" "system DLLs only" "$(bench_verdict "$system")"
  done
}

sim_rows() {
  local out line room
  out=$("$BENCH_NATIVE_DIR/bench/bench_post_cost" 2000) || e2e_fail "bench_post_cost: $out"
  for room in 1 101; do
    line=$(grep " room=$room " <<<"$out")
    bench_row "simulated desktop: one post, room as MDI child $room: window-system calls" \
      "$(bench_field calls "$line") (GetWindow $(bench_field getWindow "$line"), GetClassName $(bench_field getClassName "$line"), SendMessage $(bench_field sendMessage "$line"))" \
      "none" info
    bench_row "simulated desktop: one post, room as MDI child $room: wall time, median / worst of 2000" \
      "$(bench_field median_us "$line") / $(bench_field worst_us "$line") µs" "none" info
  done
  out=$("$BENCH_NATIVE_DIR/bench/bench_memory" 100000) || e2e_fail "bench_memory: $out"
  bench_row "simulated desktop, 100,000 commands: heap held by the logic, after 1,000 → most after" \
    "$(bench_field warm_bytes "$out") → $(bench_field max_bytes "$out") B (+$(bench_field growth_bytes "$out") B)" \
    "growth <= 64 KiB" "$(bench_verdict "$(bench_calc "$(bench_field growth_bytes "$out") <= 65536")")"
  bench_row "simulated desktop, 100,000 commands: deepest pump nesting, after 1,000 → end" \
    "$(bench_field depth_warm "$out") → $(bench_field depth_end "$out")" "constant" \
    "$(bench_verdict "$(($(bench_field depth_warm "$out") == $(bench_field depth_end "$out")))")"
  bench_row "simulated desktop, 100,000 commands: whole process maxrss, before → after (with the simulation's records of every line and label value, $(($(bench_field records_bytes "$out") / 1024)) KiB)" \
    "$(bench_field maxrss_kib_before "$out") → $(bench_field maxrss_kib_after "$out") KiB" "none" info
}

wine_post_rows() {
  local rooms=$1 position=$2 posts=$3
  bench_post_cost_wine "$rooms" "$position" "$posts"
  bench_row "Wine, practice client: one post, room as MDI child $position: window-system calls" \
    "$BENCH_POST_CALLS (GetWindow $(bench_field getWindow "$BENCH_POST_LINE"), GetClassName $(bench_field getClassName "$BENCH_POST_LINE"), SendMessage $(bench_field sendMessage "$BENCH_POST_LINE"))" \
    "none" info
  bench_row "Wine, practice client: one post, room as MDI child $position: wall time, median / worst of $posts" \
    "$(printf '%.1f / %.1f ms' "$BENCH_POST_MEDIAN_MS" "$BENCH_POST_WORST_MS")" "none" info
}

# Clicks Start and Stop in turn; each click's latency is from just before it is sent to the time stamp
# of the advertisement line it makes. The next click waits until the command's second line is in.
latency_rows() {
  local i received t0 at list=()
  for ((i = 0; i < kLatencyClicks; i++)); do
    received=$(e2e_received | wc -l)
    if ((i % 2 == 0)); then bench_click $kStartX $kStartY; else bench_click $kStopX $kStopY; fi
    t0=$BENCH_T0
    e2e_wait_received $((received + 2)) 5
    at=$(e2e_received_time $((received + 1)))
    [[ "$(e2e_received | sed -n "$((received + 1))p")" == "$E2E_ADVERT" ]] ||
      e2e_fail "click $i: the first line after it is not the advertisement"
    list+=("$(bench_calc "($at - $t0) * 1000")")
  done
  local sorted median worst
  sorted=$(printf '%s\n' "${list[@]}" | sort -g)
  median=$(sed -n "$(((kLatencyClicks + 1) / 2))p" <<<"$sorted")
  worst=$(tail -1 <<<"$sorted")
  bench_row "Wine: click on ON/OFF → advertisement line in the room, $kLatencyClicks clicks, median / worst" \
    "$(printf '%.0f / %.0f ms' "$median" "$worst")" "median < 30 ms" \
    "$(bench_verdict "$(bench_calc "$median < 30")")"
}

# Alternates Start and Stop every 25 ms, in batches of one xdotool process each.
click_burst() {
  local count=$1 i args=()
  bench_window_origin
  for ((i = 0; i < count; i++)); do
    if ((i % 2 == 0)); then
      args+=(mousemove $((BENCH_WINDOW_X + kStartX)) $((BENCH_WINDOW_Y + kStartY)) click --delay 0 1 sleep 0.025)
    else
      args+=(mousemove $((BENCH_WINDOW_X + kStopX)) $((BENCH_WINDOW_Y + kStopY)) click --delay 0 1 sleep 0.025)
    fi
    if ((${#args[@]} >= 500 || i == count - 1)); then
      xdotool "${args[@]}"
      args=()
    fi
  done
}

memory_rows() {
  local pid=$E2E_VORIVEVO_PID rssWarm hwmWarm rssAfter hwmAfter linesBefore linesAfter
  click_burst "$kWarmUpClicks"
  bench_wait_quiet 1.5 || e2e_fail "the room kept receiving lines after the warm-up clicks"
  rssWarm=$(bench_status_kib "$pid" VmRSS) hwmWarm=$(bench_status_kib "$pid" VmHWM)
  linesBefore=$(e2e_received | wc -l)
  click_burst "$kMemoryClicks"
  bench_wait_quiet 1.5 || e2e_fail "the room kept receiving lines after the clicks"
  rssAfter=$(bench_status_kib "$pid" VmRSS) hwmAfter=$(bench_status_kib "$pid" VmHWM)
  linesAfter=$(e2e_received | wc -l)
  vv_alive "$pid" || e2e_fail "vorivevo.exe ended during the clicks"
  bench_row "Wine: vorivevo.exe VmRSS, after $kWarmUpClicks clicks → after $kMemoryClicks more ($((linesAfter - linesBefore)) lines posted)" \
    "$rssWarm → $rssAfter KiB ($((rssAfter - rssWarm)) KiB)" "growth <= 512 KiB" \
    "$(bench_verdict "$((rssAfter - rssWarm <= 512))")"
  bench_row "Wine: vorivevo.exe VmHWM, the same" "$hwmWarm → $hwmAfter KiB ($((hwmAfter - hwmWarm)) KiB)" \
    "growth <= 512 KiB" "$(bench_verdict "$((hwmAfter - hwmWarm <= 512))")"
}

# The Wine server's CPU with the practice client alone: the client reads its control file every
# 50 ms, which costs the server too. Sets baselineShare (per cent of one core).
baselineShare=
wineserver_baseline_row() {
  local server start cpu0 cpu1 wall
  server=$(vv_wineserver_pid) || e2e_fail "no wineserver found for $WINEPREFIX"
  start=$EPOCHREALTIME cpu0=$(bench_cpu_seconds "$server")
  sleep "$kBaselineSeconds"
  cpu1=$(bench_cpu_seconds "$server") wall=$(bench_calc "$EPOCHREALTIME - $start")
  baselineShare=$(bench_calc "100 * ($cpu1 - $cpu0) / $wall")
  bench_row "Wine: wineserver CPU, practice client alone, $(printf '%.1f' "$wall") s" \
    "$(printf '%.2f s = %.3f %%' "$(bench_calc "$cpu1 - $cpu0")" "$baselineShare")" "none" info
}

# Clicks Start and measures CPU time over kCpuSeconds; the first cycle's idle lines fall inside it.
cpu_and_schedule_rows() {
  local pid=$E2E_VORIVEVO_PID server cpu0 server0 cpu1 server1 wall
  server=$(vv_wineserver_pid) || e2e_fail "no wineserver found for $WINEPREFIX"
  bench_click $kStartX $kStartY
  local t0=$BENCH_T0
  cpu0=$(bench_cpu_seconds "$pid") server0=$(bench_cpu_seconds "$server")
  sleep "$kCpuSeconds"
  cpu1=$(bench_cpu_seconds "$pid") server1=$(bench_cpu_seconds "$server")
  wall=$(bench_calc "$EPOCHREALTIME - $t0")
  local share
  share=$(bench_calc "100 * ($cpu1 - $cpu0) / $wall")
  bench_row "Wine: vorivevo.exe CPU while announcing, $(printf '%.1f' "$wall") s after Start" \
    "$(printf '%.2f s = %.3f %%' "$(bench_calc "$cpu1 - $cpu0")" "$share")" "< 0.5 % of one core" \
    "$(bench_verdict "$(bench_calc "$share < 0.5")")"
  share=$(bench_calc "100 * ($server1 - $server0) / $wall")
  # Near 0 the difference is noise (CPU time comes in 10 ms ticks, the client varies) and may be negative.
  bench_row "Wine: wineserver CPU in the same time, less its rate with the client alone" \
    "$(printf '%.3f %% (%.2f s = %.3f %%, less %.3f %%)' "$(bench_calc "$share - $baselineShare")" \
      "$(bench_calc "$server1 - $server0")" "$share" "$baselineShare")" "< 0.5 % of one core" \
    "$(bench_verdict "$(bench_calc "$share - $baselineShare < 0.5")")"
  bench_schedule_rows "$t0" 1
}

size_rows
sim_rows

e2e_begin
wine_post_rows 1 1 500
wine_post_rows 101 101 40
bench_fresh_client room
wineserver_baseline_row
e2e_start_vorivevo
e2e_wait_received 2 20
bench_wait_quiet 0.5
latency_rows
memory_rows
cpu_and_schedule_rows
bench_click $kExitX $kExitY
e2e_wait_gone "$E2E_VORIVEVO_PID" 10 || e2e_fail "vorivevo.exe did not end after X"

mkdir -p "$(dirname "$BENCH_OUT")"
bench_table | tee "$BENCH_OUT"
echo
echo "written to $BENCH_OUT"
(($(bench_failures) == 0))
