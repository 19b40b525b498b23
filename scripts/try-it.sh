#!/usr/bin/env bash
# Try vorivevo.exe against the practice chat client: installs what is missing, builds, starts both
# under Wine (on $DISPLAY, or on a private Xvfb when there is none), clicks ON as a person would and
# prints the chat room's lines as they arrive, as the room shows them: the text without its tags, in
# the tagged colour where the terminal shows colour (not with NO_COLOR set), each link's address after
# its text. After SECONDS (default 150) or Ctrl-C it clicks X, waits for the last line and ends every
# process it started.
#
#   scripts/try-it.sh [--raw] [SECONDS]      --raw: the lines' bytes as sent, mark-up and all
#
# It runs the 32-bit (i686) build where this machine runs 32-bit programs, else the 64-bit one, and
# says which; VORIVEVO_WINE_ARCH=x86_64 chooses the 64-bit one anyway. VORIVEVO_BUILD_DIR builds
# elsewhere than build/win32 or build/win64 (with that preset's settings); the lines' renderer is
# built with the native preset, in build/native.
set -u
cd "$(dirname "$0")/.."

args=("$@")
raw=0
seconds=150
for arg in "$@"; do
  case $arg in
    --raw) raw=1 ;;
    *) seconds=$arg ;;
  esac
done
if [[ ! "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/try-it.sh [--raw] [SECONDS]   (whole seconds to let it run; default 150)" >&2
  exit 2
fi
renderer=build/native/practice-client/markup/render-room-lines

source scripts/lib/wine_env.sh
# After the install: which Wine loaders there are is part of the answer.
pick_build() {
  vv_pick_arch
  if [[ "$VV_ARCH" == i686 ]]; then preset=win32; else preset=win64; fi
  build_dir=${VORIVEVO_BUILD_DIR:-build/$preset}
}

# Ctrl-C reaches every process of the terminal's foreground group, and the X server and Wine programs
# would die of it before X could be clicked. So the part that runs them goes into a session of its
# own, and this part turns Ctrl-C into a request to it.
if [[ -z "${_VORIVEVO_TRY_IT_SESSION:-}" ]]; then
  bash scripts/install-deps.sh || exit 1
  pick_build
  vv_runs_arch "$VV_ARCH" || { echo "try-it: cannot run the $VV_ARCH build here: $VV_ARCH_WHY" >&2; exit 1; }
  if skipped=$(vv_skip_line i686); then
    echo "try-it: running the $VV_ARCH build; $skipped"
  else
    echo "try-it: running the $VV_ARCH build"
  fi
  if ((raw)); then
    echo "try-it: building the $preset preset"
  else
    echo "try-it: building the $preset preset, and the lines' renderer with the native preset"
  fi
  build_log=$(mktemp "${TMPDIR:-/tmp}/vorivevo-try-it-build.XXXXXX")
  if ! { cmake --preset "$preset" -B "$build_dir" && cmake --build "$build_dir" -j "$(nproc)" &&
         { ((raw)) || { cmake --preset native && cmake --build --preset native --target render-room-lines; }; }
       } >"$build_log" 2>&1; then
    tail -30 "$build_log" >&2
    rm -f "$build_log"
    exit 1
  fi
  rm -f "$build_log"
  # Decided here, where the terminal is known: 24-bit colour where it says so, else the 256-colour
  # palette where it has one, else none.
  colours=none
  if [[ -t 1 && -z "${NO_COLOR:-}" && "${TERM:-dumb}" != dumb ]]; then
    if [[ "${COLORTERM:-}" == truecolor || "${COLORTERM:-}" == 24bit ]]; then
      colours=truecolour
    elif (($(tput colors 2>/dev/null || echo 0) >= 256)); then
      colours=256
    fi
  fi
  _VORIVEVO_TRY_IT_SESSION=1 _VORIVEVO_TRY_IT_COLOURS=$colours setsid bash "$PWD/scripts/try-it.sh" "${args[@]}" &
  session=$!
  trap 'kill -TERM "$session" 2>/dev/null' INT TERM HUP
  # wait returns early whenever a trapped signal arrives; the session decides when it is over.
  while :; do
    wait "$session"
    status=$?
    kill -0 "$session" 2>/dev/null || exit "$status"
  done
fi

pick_build
# The display a person may be watching, when there is one.
VORIVEVO_E2E_DISPLAY=current
VORIVEVO_EXE=$build_dir/platform/win32/vorivevo.exe
PRACTICE_CLIENT_EXE=$build_dir/practice-client/practice-client.exe
WINDOW_PROBE_EXE=$build_dir/tests/e2e/window_probe.exe
source tests/e2e/lib/e2e.sh
E2E_NAME=try-it
e2e_begin
e2e_note "X display $DISPLAY; Wine prefix $WINEPREFIX"
e2e_start_client
e2e_note "the practice client is ready"
e2e_start_vorivevo

printed=0
# Prints the lines the room has received since the last call, with the time they arrived, as UTF-8
# (the log holds the ANSI bytes, escaped): rendered, or with --raw as they were sent.
print_new_lines() {
  local stamp body line
  while IFS=$'\t' read -r stamp body; do
    if ((raw)); then
      line=$(printf '%b' "$body" | iconv -c -f WINDOWS-1252 -t UTF-8)
    else
      line=$(printf '%s\n' "$body" | "$renderer" --colours="${_VORIVEVO_TRY_IT_COLOURS:-none}" |
        iconv -c -f WINDOWS-1252 -t UTF-8)
    fi
    printf '%s  %s\n' "$(date -d "@${stamp%.*}" +%T)" "$line"
    printed=$((printed + 1))
  done < <(awk -F '\t' -v done="$printed" '$2 !~ /^#/ && ++seen > done' "$E2E_LOG")
}

stop=
trap 'stop=1' INT TERM
e2e_note "clicking ON; X follows in $seconds s or at Ctrl-C"
e2e_click 16 36
end=$((SECONDS + seconds))
while [[ -z "$stop" ]] && ((SECONDS < end)); do
  print_new_lines
  vv_alive "$E2E_VORIVEVO_PID" || e2e_fail "vorivevo.exe ended by itself"
  sleep 0.2
done
# A second Ctrl-C ends the script at once; its clean-up still ends every process.
trap 'exit 130' INT
trap 'exit 143' TERM

e2e_note "clicking X"
lines=$(e2e_received | wc -l)
e2e_click 48 36
deadline=$((SECONDS + 15))
until e2e_received | tail -n +$((lines + 1)) | grep -qxF -- "$E2E_UNLOADED"; do
  ((SECONDS < deadline)) || e2e_fail "no Now Unloaded within 15 s of clicking X"
  print_new_lines
  sleep 0.1
done
print_new_lines
e2e_wait_gone "$E2E_VORIVEVO_PID" 10 || e2e_note "vorivevo.exe still ran 10 s after Now Unloaded; ending it"
e2e_note "done"
