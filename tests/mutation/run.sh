#!/usr/bin/env bash
# Takes each guard of the post and the give-back away in turn (tests/mutation/guards.tsv, one scripted edit
# each), builds the unit tests and runs the random draft test at its default count with no pinned seeds:
# a guard that the generator cannot find missing on its own shows as "not caught". Prints one table row
# per guard: caught or not, the first schedule that caught it and the invariant it broke; for a guard the
# random test misses, the other unit tests that fail without it (the fault table's rows, which reach
# moments the generator rarely makes); and the time taken.
#
#   tests/mutation/run.sh [GUARDS.tsv]
#
# Works on a copy of the tree in build/mutation, so the tree itself is never edited. The unedited code
# must pass first; otherwise the script stops, unless MUTATION_RELATIVE=1: then every schedule is run for
# the unedited code and for each edit, and a guard counts as caught by the first schedule that fails with
# the edit and passed without it. MUTATION_ONLY=REGEX runs only the rows whose name matches;
# VORIVEVO_DRAFT_SCHEDULES and VORIVEVO_DRAFT_SEED pass through to the test.
# Exit status: 0 when every guard was caught by some test, 1 when one was caught by none, 2 when the
# script could not run.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
guards=${1:-$root/tests/mutation/guards.tsv}
guards=$(cd "$(dirname "$guards")" && pwd)/$(basename "$guards")
scratch=$root/build/mutation
jobs=${MUTATION_JOBS:-2}
# A mutation that hangs the test (a loop the call budget does not stop) counts as caught after this long.
test_timeout=${MUTATION_TEST_TIMEOUT:-300}
only=${MUTATION_ONLY:-}
relative=${MUTATION_RELATIVE:-0}

say() { printf '%s\n' "$*" >&2; }

# The copy: sources only, their times kept, so that a second run rebuilds only what changed since.
mkdir -p "$scratch/src"
(cd "$root" && tar --exclude=./build --exclude=./.git --exclude=./.cache -cf - .) | (cd "$scratch/src" && tar -xf -)
# A run cut short may have left an edited file's object behind, newer than the file copied back.
if [[ -f $scratch/edited ]]; then touch "$scratch/src/$(cat "$scratch/edited")"; rm -f "$scratch/edited"; fi
cmake -S "$scratch/src" -B "$scratch/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build() { cmake --build "$scratch/build" --target vorivevo_unit_tests -j "$jobs" >"$scratch/build.log" 2>&1; }

# Runs the random test; prints "SEED<TAB>INVARIANT" for its first failure, or nothing when it passed.
run_random_test() {
  local output status=0
  output=$(cd "$scratch/build" && VORIVEVO_DRAFT_PINNED=0 timeout "$test_timeout" \
    tests/unit/vorivevo_unit_tests --gtest_filter='DraftSafety.RandomSchedules*' 2>&1) || status=$?
  if ((status == 124)); then
    printf -- '-\tthe test ran past %s s (a loop without end)\n' "$test_timeout"
  elif ((status != 0)); then
    local line
    line=$(grep -m1 -E '^seed [0-9]+ broke: ' <<<"$output" || true)
    if [[ -n $line ]]; then
      perl -ne 'print "$1\t$2\n" if /^seed (\d+) broke: (.*)$/' <<<"$line"
    else
      # Crashed, or failed before any schedule (an exception): its last words.
      printf -- '-\t%s\n' "$(grep -v '^\[' <<<"$output" | grep -m1 -v '^$' | cut -c1-160)"
    fi
  fi
}

# Runs every schedule; prints "SEED<TAB>INVARIANT" for each that failed, and "-<TAB>WHAT" last when the
# test ended otherwise than by going through them (a crash, an exception, a loop without end).
run_every_schedule() {
  local output status=0
  output=$(cd "$scratch/build" && VORIVEVO_DRAFT_PINNED=0 VORIVEVO_DRAFT_SURVEY=1 \
    timeout "$test_timeout" tests/unit/vorivevo_unit_tests --gtest_filter='DraftSafety.RandomSchedules*' 2>&1) ||
    status=$?
  perl -ne 'print "$1\t$2\n" if /^seed (\d+) broke: (.*)$/' <<<"$output"
  if ((status == 124)); then
    printf -- '-\tthe test ran past %s s (a loop without end)\n' "$test_timeout"
  elif ! grep -q -E '^[0-9]+ schedules:' <<<"$output"; then
    local why
    why=$(grep -m1 -E 'exception' <<<"$output" | cut -c1-160)
    printf -- '-\t%s\n' "${why:-the test ended before its last schedule (status $status)}"
  fi
}

# The first schedule that fails now and passed for the unedited code (`known`: its failures), or what
# the test said when it failed before any schedule.
first_new_failure() {
  local known=$1 output
  output=$(run_every_schedule)
  awk -F'\t' 'NR == FNR { known[$1] = 1; next } !($1 in known) { print; exit }' <(printf '%s\n' "$known") - <<<"$output"
}

# Puts the row's replacement in place of its text in the copy; fails when the text is not there as the
# row says (the code changed under the row).
apply_edit() {
  local file=$1 find=$2 replace=$3 occurrence=$4
  FIND=$find REPLACE=$replace OCCURRENCE=$occurrence perl -0777 -i -pe '
    BEGIN { ($f, $r) = map { s/\\n/\n/gr } @ENV{qw(FIND REPLACE)}; $want = $ENV{OCCURRENCE}; }
    my @at; my $i = -1;
    while (($i = index($_, $f, $i + 1)) >= 0) { push @at, $i; }
    if ($want eq "") { die "found " . scalar(@at) . " times, not once\n" unless @at == 1; $want = 1; }
    die "found " . scalar(@at) . " times, not $want or more\n" unless @at >= $want;
    substr($_, $at[$want - 1], length $f) = $r;
  ' "$scratch/src/$file"
}

restore() {
  local file=$1
  cp "$root/$file" "$scratch/src/$file"
  # Newer than its object, so that the next build compiles it again.
  touch "$scratch/src/$file"
  rm -f "$scratch/edited"
}
trap '[[ -f $scratch/edited ]] && restore "$(cat "$scratch/edited")"' EXIT

say "mutation: building the unedited copy in $scratch"
build || { say "mutation: the unedited copy does not build (see $scratch/build.log)"; exit 2; }
start=$SECONDS
baseline=$(run_random_test)
known=
if [[ -n $baseline ]] && ((relative)); then
  known=$(run_every_schedule)
  say "mutation: the unedited code fails $(grep -c . <<<"$known") schedules; an edit counts as caught by another one"
elif [[ -n $baseline ]]; then
  say "mutation: the unedited code already fails the random test: seed ${baseline%%$'\t'*}: ${baseline#*$'\t'}"
  exit 2
else
  say "mutation: the unedited code passes ($((SECONDS - start)) s)"
fi

# The unit tests other than the random one that fail with the edit: what catches a guard the random test
# does not (a table row, typically), or "none".
other_tests_failing() {
  local output
  output=$(cd "$scratch/build" && timeout "$test_timeout" tests/unit/vorivevo_unit_tests \
    --gtest_filter='-DraftSafety.RandomSchedules*' 2>&1) || true
  perl -ne 'print "$1\n" if /^\[  FAILED  \] (\S+\.\S+) \(/' <<<"$output" | sort -u | paste -sd ' ' | sed 's/^$/none/'
}

printf '| guard | caught by the random test | first failing seed | broken invariant | else caught by | seconds (build + test) |\n'
printf '|---|---|---|---|---|---|\n'
missed=0
uncaught=0
total_start=$SECONDS
while IFS= read -r -u 3 row || [[ -n ${row:-} ]]; do
  [[ -z $row || $row == \#* ]] && continue
  # Tabs are read as a separator that is not white space, so that an empty field stays a field.
  IFS=$'\037' read -r name file find replace occurrence <<<"${row//$'\t'/$'\037'}"
  [[ -n $only && ! $name =~ $only ]] && continue
  row_start=$SECONDS
  printf '%s\n' "$file" >"$scratch/edited"
  if ! error=$(apply_edit "$file" "$find" "$replace" "${occurrence:-}" 2>&1); then
    restore "$file"
    printf '| %s | row does not match the code | - | %s: %s | - | 0 |\n' "$name" "$file" "$error"
    missed=$((missed + 1))
    continue
  fi
  if ! build; then
    restore "$file"
    printf '| %s | edit does not build | - | see %s | - | %d |\n' "$name" "$scratch/build.log" $((SECONDS - row_start))
    missed=$((missed + 1))
    continue
  fi
  built=$((SECONDS - row_start))
  if [[ -n $known ]]; then
    result=$(first_new_failure "$known")
  else
    result=$(run_random_test)
  fi
  if [[ -n $result ]]; then
    restore "$file"
    printf '| %s | yes | %s | %s | - | %d + %d |\n' "$name" "${result%%$'\t'*}" "${result#*$'\t'}" "$built" \
      $((SECONDS - row_start - built))
  else
    others=$(other_tests_failing)
    restore "$file"
    printf '| %s | **no** | - | - | %s | %d + %d |\n' "$name" "$others" "$built" $((SECONDS - row_start - built))
    missed=$((missed + 1))
    [[ $others == none ]] && uncaught=$((uncaught + 1))
  fi
done 3<"$guards"
build >/dev/null 2>&1 || true
say "mutation: $missed guard(s) not caught by the random test, $uncaught of them by no test either;" \
  "$((SECONDS - total_start)) s for the rows"
((uncaught == 0))
