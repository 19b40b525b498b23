#!/usr/bin/env bash
# The mutation run (tests/mutation/run.sh) as a benchmark, since it takes longer than the test run can
# give it: each guard of the post and the give-back taken away alone, and whether the random draft test
# finds it at its default count without pinned seeds. Needs no Wine. Prints the table with a heading and
# writes it to BENCH_OUT (default build/bench-mutation.md); exits as the mutation run does: 0 when every
# guard was caught by some test, 1 when one was caught by none, 2 when it could not run (the unedited
# code already fails the random test, unless MUTATION_RELATIVE=1).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${BENCH_OUT:-$root/build/bench-mutation.md}
mkdir -p "$(dirname "$out")"
start=$SECONDS
table=$("$root/tests/mutation/run.sh" "$@")
status=$?
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
{
  echo "\`bench/mutation.sh\`. Ran $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores of ${cpu:-an unknown CPU}," \
    "commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown); $((SECONDS - start)) s in all," \
    "the first build of the copy included."
  echo
  echo "$table"
} | tee "$out"
exit "$status"
