#!/usr/bin/env bash
# The random draft test with the steady typist: a fifth of the schedules get 100 to 300 keys 15 to 30 ms
# apart, mostly in the client's own thread, while Start is clicked every second or so, at 0.8 to 3 ms a
# window message (as the end-to-end test types under Wine). Counts the schedules that break an invariant
# (target: none) and lists the first seeds of each kind. Needs no Wine: the native build only.
# BENCH_SCHEDULES (default 4000) and BENCH_FIRST_SEED (default 1) pick the range; BENCH_NO_BUILD=1
# skips the build. Exits 1 when a schedule fails.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BENCH_NATIVE_DIR:-$root/build/native}
schedules=${BENCH_SCHEDULES:-4000}
first=${BENCH_FIRST_SEED:-1}
if [[ -z "${BENCH_NO_BUILD:-}" ]]; then
  (cd "$root" && cmake --preset native >/dev/null && cmake --build --preset native -j "$(nproc)" --target vorivevo_unit_tests >/dev/null) ||
    { echo "steady_typist: the build failed"; exit 2; }
fi
start=$SECONDS
out=$(VORIVEVO_DRAFT_TYPIST=1 VORIVEVO_DRAFT_SURVEY=1 VORIVEVO_DRAFT_PINNED=0 VORIVEVO_DRAFT_SCHEDULES="$schedules" \
  VORIVEVO_DRAFT_SEED="$first" "$build/tests/unit/vorivevo_unit_tests" --gtest_filter='DraftSafety.Random*' 2>&1)
failing=$(grep -c '^seed ' <<<"$out")
typist=$(grep '^seed ' <<<"$out" | grep -c 'steady-typist')
echo "\`bench/steady_typist.sh\`, commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown):" \
  "$schedules schedules from seed $first, $((SECONDS - start)) s."
echo
grep 'schedules:' <<<"$out"
echo "failing schedules: $failing (with the steady typist: $typist)"
grep '^(' <<<"$out"
((failing == 0))
