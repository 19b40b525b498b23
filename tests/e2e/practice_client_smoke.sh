#!/usr/bin/env bash
# End-to-end smoke test: the practice client under Wine on Xvfb, driven from another process by poke.exe.
#
# Checks that a line with the bytes F7 A4 reaches the room exactly and the user's draft survives,
# that UTF-8 on a command line arrives as code page 1252, and that presses reach the topmost
# palette. Needs the win32 build; PRACTICE_CLIENT_EXE and POKE_EXE override where the .exe files are.
# Exit 0 on success; on failure, 1 with the reason and the client's log.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/lib/wine_env.sh"

vv_pick_arch
build=$root/build/$([[ "$VV_ARCH" == i686 ]] && echo win32 || echo win64)
client=${PRACTICE_CLIENT_EXE:-$build/practice-client/practice-client.exe}
poke=${POKE_EXE:-$build/practice-client/poke.exe}
work=$(mktemp -d "${TMPDIR:-/tmp}/practice-client-smoke.XXXXXX")
log=$work/log
control=$work/control
trap 'vv_cleanup; rm -rf "$work"' EXIT

fail() {
  echo "practice_client_smoke: FAIL: $*" >&2
  if [[ -s "$log" ]]; then
    echo "the client's log:" >&2
    sed 's/^/    /' "$log" >&2
  fi
  exit 1
}

note() {
  echo "practice_client_smoke: $*"
}

seconds_since() {
  awk -v start="$1" -v now="$EPOCHREALTIME" 'BEGIN { printf "%.2f", now - start }'
}

# A record of the log: its time stamp, a tab, then `body` (an ERE).
record() {
  printf '^[0-9]+\\.[0-9]{3}\t%s$' "$1"
}

expect_record() {
  vv_wait_for_log "$(record "$1")" "$log" "${2:-5}" || fail "no record '$1' in the log"
}

send() {
  printf '%s\n' "$1" >>"$control"
}

# Runs poke.exe and leaves its output in $poke_output; fails unless it exits with status `want`.
# Not meant for $(...): a failure there would end only the subshell.
run_poke() {
  local want=$1
  shift
  local status
  poke_output=$(timeout -k 2 20 "$VV_WINE" "$poke" "$@" 2>&1)
  status=$?
  poke_output=${poke_output//$'\r'/}  # a Windows console program ends its lines with CR LF
  [[ $status -eq $want ]] || fail "poke $* exited with $status, wanted $want: $poke_output"
}

[[ -f "$client" ]] || fail "no $client: build the win32 preset first"
[[ -f "$poke" ]] || fail "no $poke: build the win32 preset first"
arch=$(vv_exe_arch "$client") || fail "$client is not a Windows program"
[[ "$(vv_exe_arch "$poke")" == "$arch" ]] || fail "$poke is not an $arch program like $client"
vv_wine_prefix "$arch"
case $? in
  0) ;;
  77) note "SKIPPED: $(vv_skip_line "$arch")"; exit 77 ;;
  *) fail "no Wine prefix" ;;
esac
vv_start_xvfb || fail "no X display"
: >"$control"

started=$EPOCHREALTIME
"$VV_WINE" "$client" --log "$(vv_winpath "$log")" --control "$(vv_winpath "$control")" --rooms 3 --room-position 2 \
  >"$work/client.out" 2>&1 &
client_pid=$!
vv_track_pid "$client_pid"
expect_record '#ready rooms=3 room-position=2' 30
note "client ready after $(seconds_since "$started") s"

run_poke 0 locate
[[ "$poke_output" == "room 2 entry RICHCNTL send _AOL_Icon" ]] || fail "poke found: $poke_output"

send 'draft still typing ÷¤'
expect_record '#draft still typing \\xF7\\xA4'
send 'open-palette'
send 'open-palette'
expect_record '#open palette 2'

run_poke 0 post 'Status \xF7\xA4 line'
expect_record 'Status \\xF7\\xA4 line'
run_poke 0 read
[[ "$poke_output" == 'still typing \xF7\xA4' ]] || fail "the draft after posting reads: $poke_output"

# UTF-8 on Wine's command line becomes code page 1252 only with a suitable locale.
run_poke 0 post 'café ÷¤'
expect_record 'caf\\xE9 \\xF7\\xA4'

run_poke 0 press-palette
expect_record '#press palette 2 icon 0'
send 'close-palette 2'
expect_record '#close palette 2'
run_poke 0 press-palette
expect_record '#press palette 1 icon 0'

# Everything the room received, in order: exactly the two lines, nothing from a wrong window.
received=$(cut -f2- "$log" | grep -v '^#')
expected=$'Status \\xF7\\xA4 line\ncaf\\xE9 \\xF7\\xA4'
[[ "$received" == "$expected" ]] || fail "the room received:"$'\n'"$received"$'\n'"instead of:"$'\n'"$expected"
presses=$(grep -c $'\t#press' "$log")
[[ $presses -eq 4 ]] || fail "$presses presses logged, wanted 4 (two sends, two palette icons)"

quit_sent=$EPOCHREALTIME
send 'quit'
expect_record '#quit'
for ((i = 0; i < 100; i++)); do
  vv_alive "$client_pid" || break
  sleep 0.05
done
vv_alive "$client_pid" && fail "the client still runs 5 s after quit"
note "client gone $(seconds_since "$quit_sent") s after quit"
note "PASS"
