# Benchmark helpers: the builds, the results table, a process's CPU time and memory from /proc,
# clicks with their time stamps, and the idle lines' schedule read from the practice client's log.
# Source it; it sources the end-to-end helpers (tests/e2e/lib/e2e.sh) for Wine, Xvfb and clean-up.
#
#   bench_build                 configure and build what the benchmarks run (BENCH_NO_BUILD=1: skip)
#   bench_row MEASURE FIGURE TARGET VERDICT   one row of the results table (VERDICT pass, FAIL or info)
#   bench_table                 the table so far, as Markdown, with the machine and the date
#   bench_verdict OK            "pass" if OK is 1, else "FAIL"
#   bench_calc EXPR             an awk expression's value (decimals allowed)
#   bench_cpu_seconds PID       user + system CPU seconds of the process, all its threads
#   bench_status_kib PID FIELD  a /proc/PID/status figure in KiB (VmRSS, VmHWM ...)
#   bench_click X Y             a left click at window-relative (X, Y); BENCH_T0 is the epoch time
#                               (seconds, microseconds) taken just before the click is sent
#   bench_window_origin         BENCH_WINDOW_X, BENCH_WINDOW_Y: the window's top-left on the screen
#   bench_wait_quiet S          wait until the room's log has not grown for S seconds
#   bench_line_after T0 TEXT    the epoch time of the first line received at or after T0 that reads TEXT
#   bench_fresh_client TAG [ARG...]   a new practice client, with a log and control file of its own
#   bench_post_cost_wine ROOMS POSITION POSTS   a fresh client with its room at POSITION of ROOMS, one
#                               post measured POSTS times; sets BENCH_POST_* (see below)
#   bench_schedule_rows T0 LAST rows for the idle lines 0..LAST after a Start click at T0
#
# Build directories: the presets' own (build/native, build/win32, build/win64), or BENCH_NATIVE_DIR,
# BENCH_WIN32_DIR and BENCH_WIN64_DIR.
#
# What runs under Wine is the i686 build where this machine runs 32-bit programs, else the x86_64
# build (VORIVEVO_WINE_ARCH=x86_64 chooses it anyway); the table's heading says which, and why.

_bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$_bench_root/scripts/lib/wine_env.sh"
source "$_bench_root/scripts/lib/exe_facts.sh"
BENCH_NATIVE_DIR=${BENCH_NATIVE_DIR:-$_bench_root/build/native}
BENCH_WIN32_DIR=${BENCH_WIN32_DIR:-$_bench_root/build/win32}
BENCH_WIN64_DIR=${BENCH_WIN64_DIR:-$_bench_root/build/win64}
vv_pick_arch
BENCH_ARCH=$VV_ARCH
if [[ "$BENCH_ARCH" == i686 ]]; then BENCH_WINE_DIR=$BENCH_WIN32_DIR; else BENCH_WINE_DIR=$BENCH_WIN64_DIR; fi
export VORIVEVO_EXE=$BENCH_WINE_DIR/platform/win32/vorivevo.exe
export PRACTICE_CLIENT_EXE=$BENCH_WINE_DIR/practice-client/practice-client.exe
export WINDOW_PROBE_EXE=$BENCH_WINE_DIR/tests/e2e/window_probe.exe
BENCH_POST_COST_EXE=$BENCH_WINE_DIR/bench/post_cost_win32.exe

source "$_bench_root/tests/e2e/lib/e2e.sh"

BENCH_ROWS=()
BENCH_T0=
# From bench_post_cost_wine: the figures of its one report line.
BENCH_POST_LINE=
BENCH_POST_MEDIAN_MS=
BENCH_POST_WORST_MS=
BENCH_POST_CALLS=

bench_log() {
  printf '%s\n' "$E2E_NAME: $*" >&2
}

bench_log "under Wine: the $BENCH_ARCH build$(vv_runs_arch i686 || echo " (i686 cannot run here: $VV_ARCH_WHY)")"

# Configures with the preset, into its own directory or the one given, and builds; shows the end of
# the output only when something fails.
_bench_build_preset() {
  local preset=$1 dir=$2
  shift 2
  mkdir -p "$dir" || return 1
  { cmake --preset "$preset" -B "$dir" && cmake --build "$dir" -j "$(nproc)" "$@"; } >"$dir/bench-build.log" 2>&1 ||
    { tail -30 "$dir/bench-build.log" >&2; return 1; }
}

bench_build() {
  [[ "${BENCH_NO_BUILD:-}" == 1 ]] && return 0
  bench_log "building (native, win32, win64); under Wine: the $BENCH_ARCH build"
  local win32Targets=() win64Targets=()
  if [[ "$BENCH_ARCH" == i686 ]]; then win64Targets=(--target vorivevo); else win32Targets=(--target vorivevo); fi
  _bench_build_preset native "$BENCH_NATIVE_DIR" --target bench_post_cost bench_memory &&
    _bench_build_preset win32 "$BENCH_WIN32_DIR" "${win32Targets[@]}" &&
    _bench_build_preset win64 "$BENCH_WIN64_DIR" "${win64Targets[@]}"
}

bench_row() {
  BENCH_ROWS+=("$1"$'\t'"$2"$'\t'"$3"$'\t'"$4")
  printf '%s: %-60s %-28s %-22s %s\n' "$E2E_NAME" "$1" "$2" "$3" "$4" >&2
}

bench_table() {
  local cpu
  cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
  local why=
  if ! vv_runs_arch i686; then
    why=" (i686 cannot run here: $VV_ARCH_WHY)"
  elif [[ "$BENCH_ARCH" != i686 ]]; then
    why=" (chosen with VORIVEVO_WINE_ARCH; i686 runs here too)"
  fi
  echo "Ran $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores of ${cpu:-an unknown CPU}," \
    "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM, Linux $(uname -r)," \
    "$("${VV_WINE:-/usr/lib/wine/wine64}" --version 2>/dev/null); the Wine rows ran the $BENCH_ARCH build$why."
  echo
  echo "| measure | figure | target | result |"
  echo "|---|---|---|---|"
  local row
  for row in "${BENCH_ROWS[@]}"; do
    IFS=$'\t' read -r measure figure target verdict <<<"$row"
    echo "| $measure | $figure | $target | $verdict |"
  done
}

bench_failures() {
  local row count=0
  for row in "${BENCH_ROWS[@]}"; do
    [[ "${row##*$'\t'}" == FAIL ]] && count=$((count + 1))
  done
  echo "$count"
}

bench_verdict() {
  if [[ "$1" == 1 ]]; then echo pass; else echo FAIL; fi
}

# Six decimals: awk's default would print an epoch time as 1.79662e+09. The parentheses keep a ">"
# in EXPR a comparison rather than print's redirection to a file.
bench_calc() {
  awk "BEGIN { OFMT = \"%.6f\"; print ($1) }"
}

bench_cpu_seconds() {
  local stat fields
  stat=$(cat "/proc/$1/stat") || return 1
  # After the command name, which may hold spaces; utime and stime are fields 14 and 15, in ticks.
  read -r -a fields <<<"${stat##*) }"
  bench_calc "(${fields[11]} + ${fields[12]}) / $(getconf CLK_TCK)"
}

bench_status_kib() {
  awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status"
}

# The window does not move during a benchmark, so its place is read once.
BENCH_WINDOW_X=
BENCH_WINDOW_Y=
bench_window_origin() {
  if [[ -z "$BENCH_WINDOW_X" ]]; then
    e2e_geometry
    BENCH_WINDOW_X=$E2E_X BENCH_WINDOW_Y=$E2E_Y
  fi
}

bench_click() {
  bench_window_origin
  xdotool mousemove --sync $((BENCH_WINDOW_X + $1)) $((BENCH_WINDOW_Y + $2))
  # The time stamp includes starting xdotool (about 5 ms here), so latencies err on the long side.
  BENCH_T0=$EPOCHREALTIME
  xdotool click 1
}

# Through the environment: awk -v would decode the log's \xHH escapes.
bench_line_after() {
  BENCH_TEXT=$2 awk -F '\t' -v t0="$1" '$1 >= t0 && $2 == ENVIRON["BENCH_TEXT"] { print $1; exit }' "$E2E_LOG"
}

# Waits until the log has not grown for S seconds (decimals allowed), at most 30 s.
bench_wait_quiet() {
  local quiet=$1 size=-1 still=0 step=0.1
  local deadline=$((SECONDS + 30))
  while ((SECONDS < deadline)); do
    local now
    now=$(stat -c %s "$E2E_LOG")
    if [[ "$now" == "$size" ]]; then
      still=$(bench_calc "$still + $step")
      awk -v a="$still" -v b="$quiet" 'BEGIN { exit !(a >= b) }' && return 0
    else
      size=$now still=0
    fi
    sleep "$step"
  done
  return 1
}

_bench_clients=0
# Quits the practice client if one runs, then starts another with a log and control file of its own,
# named after TAG, so that every phase reads only its own records.
bench_fresh_client() {
  local tag=$1
  shift
  if [[ -n "$E2E_CLIENT_PID" ]] && vv_alive "$E2E_CLIENT_PID"; then
    e2e_control quit
    e2e_wait_gone "$E2E_CLIENT_PID" 10 || e2e_fail "the practice client did not quit"
  fi
  # New files each time: the client runs a control file from its start, and e2e_start_client takes
  # any #ready in the log for the new client's.
  _bench_clients=$((_bench_clients + 1))
  E2E_LOG=$E2E_WORK/$tag.$_bench_clients.log
  E2E_CONTROL=$E2E_WORK/$tag.$_bench_clients.control
  : >"$E2E_CONTROL"
  e2e_start_client "$@"
}

bench_post_cost_wine() {
  local rooms=$1 position=$2 posts=$3
  bench_fresh_client "post-cost-$position" --rooms "$rooms" --room-position "$position"
  BENCH_POST_LINE=$("$VV_WINE" "$BENCH_POST_COST_EXE" "$position" "$posts" "$(vv_winpath "$E2E_LOG")" \
    2>"$E2E_WORK/post_cost.out" | tr -d '\r')
  [[ "$BENCH_POST_LINE" == *median_us=* && "$BENCH_POST_LINE" != *error=* ]] ||
    e2e_fail "post_cost_win32.exe: ${BENCH_POST_LINE:-no report} $(cat "$E2E_WORK/post_cost.out")"
  BENCH_POST_MEDIAN_MS=$(bench_calc "$(bench_field median_us "$BENCH_POST_LINE") / 1000")
  BENCH_POST_WORST_MS=$(bench_calc "$(bench_field worst_us "$BENCH_POST_LINE") / 1000")
  BENCH_POST_CALLS=$(bench_field calls "$BENCH_POST_LINE")
}

# The value of KEY in a line of KEY=VALUE pairs.
bench_field() {
  tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -1
}

# The k-th idle line (k from 0) is due 60.5 k + 0.5 s after the Start click, plus the posts' time:
# the posts before it and its own, two a cycle (2 k + 2). A post's time is taken from the same run:
# the median of (idle line - the advertisement line before it - 0.5 s), one post plus the half-second
# wait's overrun. A cycle then lasts 60.5 s plus two posts; drift is what a cycle takes beyond that,
# which would add up over the hours: the median over the cycles, so that one slow post (Wine's posts
# vary by tens of milliseconds) does not pass for drift.
bench_schedule_rows() {
  local t0=$1 last=$2 report
  report=$(BENCH_ADVERT=$E2E_ADVERT BENCH_IDLE=$(e2e_idle_line '|') awk -F '\t' -v t0="$t0" -v last="$last" '
    function median(values, n,    i, j, swap) {
      for (i = 2; i <= n; i++)
        for (j = i; j > 1 && values[j - 1] > values[j]; j--) {
          swap = values[j]; values[j] = values[j - 1]; values[j - 1] = swap
        }
      return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
    }
    BEGIN { split(ENVIRON["BENCH_IDLE"], idle, "|"); k = 0 }
    $1 < t0 || $2 ~ /^#/ || k > last { next }
    $2 == ENVIRON["BENCH_ADVERT"] { advert = $1; next }
    $2 == (idle[1] k idle[2]) { at[k] = $1; gap[k + 1] = $1 - advert - 0.5; k++ }
    END {
      if (k <= last) { printf "missing\t%d\n", k; exit }
      post = median(gap, last + 1)
      lateOk = 1
      for (k = 0; k <= last; k++) {
        late = at[k] - t0 - (60.5 * k + 0.5)
        if (late < 0 || late - (2 * k + 2) * post > 0.050 || late - (2 * k + 2) * post < -0.050) lateOk = 0
        lates = lates sprintf("%s%+.0f", k ? ", " : "", late * 1000)
        if (k > 0) {
          excess[k] = at[k] - at[k - 1] - 60.5
          excesses = excesses sprintf("%s%.0f", k > 1 ? ", " : "", excess[k] * 1000)
          drift[k] = excess[k] - 2 * post
        }
      }
      driftMs = last ? median(drift, last) * 1000 : 0
      if (driftMs > -0.05 && driftMs < 0.05) driftMs = 0  # not "-0.0"
      printf "ok\t%s\t%d\t%.1f\t%s\t%.1f\n", lates, lateOk, post * 1000, excesses, driftMs
    }' "$E2E_LOG")
  local status lates lateOk postMs excesses driftMs
  IFS=$'\t' read -r status lates lateOk postMs excesses driftMs <<<"$report"
  [[ "$status" == ok ]] || e2e_fail "no idle line $lates after the click"
  bench_row "Wine: idle lines 0..$last, ms after due time (60.5 k + 0.5 s after the click)" "$lates" \
    "each >= 0, and within 50 of the posts' time, (2 k + 2) × $postMs" "$(bench_verdict "$lateOk")"
  # One or two cycles say little about drift: one slow post decides it. bench/schedule.sh judges it.
  local verdict=info
  ((last >= 3)) && verdict=$(bench_verdict "$(bench_calc "$driftMs <= 5")")
  if ((last >= 1)); then
    bench_row "Wine: drift, ms a cycle beyond 60.5 s + 2 × $postMs (median; cycles took 60.5 s + $excesses ms)" \
      "$driftMs" "<= 5 ms a cycle (judged over 3 cycles or more)" "$verdict"
  fi
}
