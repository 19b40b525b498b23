# End-to-end test helpers: vorivevo.exe and the practice client under Wine, driven through the X server
# as a person would drive them, and read back through the client's log and screenshots. Source it.
#
#   e2e_begin                   a work directory, a Wine server and an X server of this test's own;
#                               everything started through these helpers is ended on exit, by its id
#   e2e_start_client [ARG...]   the practice client with a log and a control file; waits for #ready
#   e2e_control COMMAND         one command to the client's control file
#   e2e_start_vorivevo          vorivevo.exe; waits until its window shows (it shows once started up)
#   e2e_click X Y               a left click at window-relative pixel (X, Y)
#   e2e_drag X Y DX DY          button down at (X, Y), move by (DX, DY) in steps, button up
#   e2e_hover X Y               the pointer over window-relative pixel (X, Y), no button
#   e2e_wait_tooltip [S]        wait up to S (whole) seconds for the window's tooltip to show; its
#                               screen rectangle "LEFT TOP RIGHT BOTTOM" in E2E_TOOLTIP, its text (lines
#                               joined by newlines) in E2E_TOOLTIP_TEXT
#   e2e_wait_no_tooltip [S]     wait until no tooltip of the window shows
#   e2e_keys KEY...             keys typed into the window (xdotool names: Tab, space, Return), as the
#                               keyboard would: the window first gets the X input focus
#   e2e_screenshot FILE         what the screen shows where the window is, as FILE (PNG)
#   e2e_client_geometry         E2E_CLIENT_X, _Y, _W, _H: the practice client's frame on the screen
#   e2e_screenshot_with_client FILE [MARGIN]  the same for the rectangle that holds both windows
#   e2e_pixel FILE X Y          the colour at (X, Y) of FILE, as RRGGBB
#   e2e_dark_pixels FILE X Y W H  how many pixels of that rectangle are dark (lettering)
#   e2e_received                the lines the room received, escaped as in the log, one a line
#   e2e_received_time N         the time stamp (epoch seconds) of the N-th line received
#   e2e_gap M N                 seconds from the M-th to the N-th line received
#   e2e_wait_received N [S]     wait up to S (whole) seconds until the room has received N lines
#   e2e_events RECORD           how many records of the log read exactly RECORD (e.g. "#press send")
#   e2e_event_time RECORD [N]   the time stamp of the N-th such record (default the first)
#   e2e_wait_event RECORD [S [N]]  wait up to S (whole) seconds until there are N such records
#   e2e_seconds FROM TO         TO - FROM, two time stamps
#   e2e_wait_gone PID [S]       wait until the process has ended; E2E_ELAPSED says how long it took
#   e2e_probe ARG...            window_probe.exe; its output (no CRs) in E2E_PROBE_OUT
#   e2e_expect_transcript LINE...  the room received exactly these lines, else fail at the first difference
#   e2e_assert_eq, e2e_assert_between, e2e_fail, e2e_note, e2e_pass
#
# Each test gets a private Xvfb, even when DISPLAY names a working one: clicks go to whatever window is
# under the pointer, so two tests on one display would click each other's windows, and CI runs tests in
# parallel. VORIVEVO_E2E_DISPLAY=current uses $DISPLAY instead (to watch a test on a display of your own).
#
# The executables: VORIVEVO_EXE, PRACTICE_CLIENT_EXE and WINDOW_PROBE_EXE (CTest sets them), else the
# build of the architecture that vv_pick_arch picks (win32 preset for i686, win64 for x86_64). All three
# must be of one architecture: the test runs in a Wine prefix of theirs, and exits 77 (skipped) where
# this machine cannot run it.

_e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$_e2e_root/scripts/lib/wine_env.sh"

E2E_NAME=$(basename "$0" .sh)
if [[ -z "${VORIVEVO_EXE:-}" || -z "${PRACTICE_CLIENT_EXE:-}" || -z "${WINDOW_PROBE_EXE:-}" ]]; then
  vv_pick_arch
  _e2e_build=$_e2e_root/build/$([[ "$VV_ARCH" == i686 ]] && echo win32 || echo win64)
  VORIVEVO_EXE=${VORIVEVO_EXE:-$_e2e_build/platform/win32/vorivevo.exe}
  PRACTICE_CLIENT_EXE=${PRACTICE_CLIENT_EXE:-$_e2e_build/practice-client/practice-client.exe}
  WINDOW_PROBE_EXE=${WINDOW_PROBE_EXE:-$_e2e_build/tests/e2e/window_probe.exe}
fi

# The lines as the client's log writes them: bytes outside printable ASCII as \xHH.
E2E_PREFIX='<Font Color=#FFAB3E>^v\xF7\xA4'
E2E_ADVERT="${E2E_PREFIX}< a href=https://vorivevo.net/><Font Color=#FFAB3E>Zavarurev Iroz</a>"
E2E_LOADED="${E2E_PREFIX}Now Loaded"
E2E_OFF="${E2E_PREFIX}Status: Off!"
E2E_UNLOADED="${E2E_PREFIX}Now Unloaded"
e2e_idle_line() {
  printf '%s' "${E2E_PREFIX}I've Been Idle For: $1 Min(s)"
}

E2E_WORK=
E2E_LOG=
E2E_CONTROL=
E2E_CLIENT_PID=
E2E_VORIVEVO_PID=
E2E_WINDOW=
E2E_ELAPSED=
E2E_PROBE_OUT=

e2e_note() {
  echo "$E2E_NAME: $*"
}

e2e_fail() {
  {
    echo "$E2E_NAME: FAIL: $*"
    if [[ -s "$E2E_LOG" ]]; then
      echo "the practice client's log:"
      sed 's/^/    /' "$E2E_LOG"
    fi
    local out
    for out in "$E2E_WORK"/*.out; do
      [[ -s "$out" ]] || continue
      echo "$(basename "$out"):"
      tail -20 "$out" | sed 's/^/    /'
    done
  } >&2
  exit 1
}

e2e_pass() {
  e2e_note "PASS"
  exit 0
}

e2e_assert_eq() {
  local what=$1 actual=$2 expected=$3
  [[ "$actual" == "$expected" ]] || e2e_fail "$what: got '$actual', expected '$expected'"
}

# LOW <= VALUE < HIGH, all decimal numbers.
e2e_assert_between() {
  local what=$1 value=$2 low=$3 high=$4
  awk -v v="$value" -v lo="$low" -v hi="$high" 'BEGIN { exit !(v >= lo && v < hi) }' ||
    e2e_fail "$what: got $value, expected at least $low and less than $high"
}

_e2e_cleanup() {
  vv_cleanup
  if [[ -n "$E2E_WORK" && "${VORIVEVO_E2E_KEEP:-}" != 1 ]]; then
    rm -rf "$E2E_WORK"
  fi
}

e2e_begin() {
  E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/vorivevo-e2e-$E2E_NAME.XXXXXX") || e2e_fail "no work directory"
  E2E_LOG=$E2E_WORK/room.log
  E2E_CONTROL=$E2E_WORK/control
  trap _e2e_cleanup EXIT
  local exe arch=
  for exe in "$VORIVEVO_EXE" "$PRACTICE_CLIENT_EXE" "$WINDOW_PROBE_EXE"; do
    [[ -f "$exe" ]] || e2e_fail "no $exe: build the win32 or win64 preset first"
    [[ -z "$arch" ]] && arch=$(vv_exe_arch "$exe")
    [[ "$(vv_exe_arch "$exe")" == "$arch" ]] ||
      e2e_fail "$exe is not an $arch program like $VORIVEVO_EXE: a test runs programs of one architecture"
  done
  vv_wine_prefix "$arch"
  case $? in
    0) ;;
    77) e2e_note "SKIPPED: $(vv_skip_line "$arch")"; exit 77 ;;
    *) e2e_fail "no Wine prefix" ;;
  esac
  [[ "${VORIVEVO_E2E_DISPLAY:-}" == current ]] || unset DISPLAY
  vv_start_xvfb || e2e_fail "no X server"
  : >"$E2E_CONTROL"
}

e2e_start_client() {
  "$VV_WINE" "$PRACTICE_CLIENT_EXE" --log "$(vv_winpath "$E2E_LOG")" --control "$(vv_winpath "$E2E_CONTROL")" "$@" \
    >"$E2E_WORK/client.out" 2>&1 &
  E2E_CLIENT_PID=$!
  vv_track_pid "$E2E_CLIENT_PID"
  # The first Wine program of a fresh server takes a few seconds, more while other tests run.
  vv_wait_for_log $'^[0-9.]+\t#ready ' "$E2E_LOG" 60 || e2e_fail "the practice client did not get ready"
}

e2e_control() {
  printf '%s\n' "$1" >>"$E2E_CONTROL"
}

# Asks the client for its entry box until it holds DRAFT with the caret at CARET ("START END"), for up to
# SECONDS.
e2e_wait_for_draft() {
  local draft=$1 caret=$2 deadline=$((SECONDS + $3)) entry='' shown=''
  while ((SECONDS < deadline)); do
    e2e_control show-entry
    e2e_control show-caret
    sleep 0.5
    entry=$(cut -f2 "$E2E_LOG" | grep -a '^#entry ' | tail -1)
    shown=$(cut -f2 "$E2E_LOG" | grep -a '^#caret ' | tail -1)
    [[ "$entry" == "#entry $draft" && "$shown" == "#caret $caret" ]] && return 0
  done
  e2e_fail "the entry box holds '${entry#\#entry }' with the caret at '${shown#\#caret }', expected '$draft' at $caret"
}

_e2e_find_window() {
  xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1
}

e2e_start_vorivevo() {
  [[ -z "$(_e2e_find_window)" ]] || e2e_fail "a window titled Form1 is already on the display"
  "$VV_WINE" "$VORIVEVO_EXE" >>"$E2E_WORK/vorivevo.out" 2>&1 &
  E2E_VORIVEVO_PID=$!
  vv_track_pid "$E2E_VORIVEVO_PID"
  local deadline=$((SECONDS + 60))
  E2E_WINDOW=
  while [[ -z "$E2E_WINDOW" ]]; do
    vv_alive "$E2E_VORIVEVO_PID" || e2e_fail "vorivevo.exe ended before its window showed"
    ((SECONDS < deadline)) || e2e_fail "vorivevo.exe showed no window titled Form1 within 60 s"
    sleep 0.05
    E2E_WINDOW=$(_e2e_find_window)
  done
  # Shown is not yet painted: on a busy machine the first frame can take a while to reach the X server,
  # and a screenshot before it reads black where the name bar is.
  local _
  for _ in $(seq 50); do
    e2e_screenshot "$E2E_WORK/first-paint.png"
    [[ "$(e2e_pixel "$E2E_WORK/first-paint.png" 48 12)" != 000000 ]] && return 0
    sleep 0.1
  done
}

# Sets E2E_X, E2E_Y (the window's top-left on the screen), E2E_W and E2E_H.
e2e_geometry() {
  local X Y WIDTH HEIGHT WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW" 2>/dev/null)"
  [[ -n "${WIDTH:-}" ]] || e2e_fail "the window $E2E_WINDOW has no geometry (is it gone?)"
  E2E_X=$X E2E_Y=$Y E2E_W=$WIDTH E2E_H=$HEIGHT
}

e2e_click() {
  e2e_geometry
  xdotool mousemove $((E2E_X + $1)) $((E2E_Y + $2)) click 1
}

# The window moves in Wine's own move loop, which reads the pointer's motion from its queue; steps
# with pauses are what a hand would give it.
e2e_drag() {
  local x=$1 y=$2 dx=$3 dy=$4 steps=5 i
  e2e_geometry
  local startX=$((E2E_X + x)) startY=$((E2E_Y + y))
  xdotool mousemove "$startX" "$startY" mousedown 1
  for ((i = 1; i <= steps; i++)); do
    sleep 0.05
    xdotool mousemove $((startX + dx * i / steps)) $((startY + dy * i / steps))
  done
  sleep 0.05
  xdotool mouseup 1
}

e2e_hover() {
  e2e_geometry
  xdotool mousemove $((E2E_X + $1)) $((E2E_Y + $2))
}

E2E_TOOLTIP=
E2E_TOOLTIP_TEXT=
e2e_wait_tooltip() {
  local deadline=$((SECONDS + ${1:-5}))
  until e2e_probe tooltip Form1; do
    ((SECONDS < deadline)) || e2e_fail "no tooltip showed within ${1:-5} s"
    sleep 0.1
  done
  E2E_TOOLTIP=$(head -1 <<<"$E2E_PROBE_OUT")
  E2E_TOOLTIP_TEXT=$(sed -n '2,$p' <<<"$E2E_PROBE_OUT")
}

e2e_wait_no_tooltip() {
  local deadline=$((SECONDS + ${1:-5}))
  while e2e_probe tooltip Form1; do
    ((SECONDS < deadline)) || e2e_fail "a tooltip still showed after ${1:-5} s"
    sleep 0.1
  done
}

# Without a window manager the X input focus stays at the pointer's root until a program sets it; a
# person's click or window manager would give it to the window.
e2e_keys() {
  xdotool windowfocus --sync "$E2E_WINDOW" || e2e_fail "could not give the window the keyboard"
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.1
  done
}

# The root window, not the window itself, so the picture is what is visible: another window on top
# would show in it.
e2e_screenshot() {
  e2e_geometry
  import -window root -crop "${E2E_W}x${E2E_H}+${E2E_X}+${E2E_Y}" +repage "$1" ||
    e2e_fail "no screenshot"
}

e2e_client_geometry() {
  local frame X Y WIDTH HEIGHT WINDOW SCREEN
  frame=$(xdotool search --onlyvisible --name '^Practice Chat$' 2>/dev/null | head -1)
  [[ -n "$frame" ]] || e2e_fail "the practice client's frame is not on the display"
  eval "$(xdotool getwindowgeometry --shell "$frame" 2>/dev/null)"
  E2E_CLIENT_X=$X E2E_CLIENT_Y=$Y E2E_CLIENT_W=$WIDTH E2E_CLIENT_H=$HEIGHT
}

# MARGIN (default 8) pixels around the two windows, as far as the screen reaches.
e2e_screenshot_with_client() {
  local margin=${2:-8} left top right bottom screen
  e2e_geometry
  e2e_client_geometry
  left=$((E2E_X < E2E_CLIENT_X ? E2E_X : E2E_CLIENT_X)) top=$((E2E_Y < E2E_CLIENT_Y ? E2E_Y : E2E_CLIENT_Y))
  right=$((E2E_X + E2E_W > E2E_CLIENT_X + E2E_CLIENT_W ? E2E_X + E2E_W : E2E_CLIENT_X + E2E_CLIENT_W))
  bottom=$((E2E_Y + E2E_H > E2E_CLIENT_Y + E2E_CLIENT_H ? E2E_Y + E2E_H : E2E_CLIENT_Y + E2E_CLIENT_H))
  read -ra screen <<<"$(xdotool getdisplaygeometry)"
  left=$((left > margin ? left - margin : 0)) top=$((top > margin ? top - margin : 0))
  right=$((right + margin < screen[0] ? right + margin : screen[0]))
  bottom=$((bottom + margin < screen[1] ? bottom + margin : screen[1]))
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$1" ||
    e2e_fail "no screenshot"
}

e2e_pixel() {
  convert "$1[1x1+$2+$3]" -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tail -1
}

# Dark: below a third of full brightness, which the orange artwork never is but its lettering is.
e2e_dark_pixels() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 33% \
    -format '%[fx:round(w*h*(1-mean))]' info:
}

# Whether two pictures (or the same rectangle X Y W H of both) have the same pixels.
e2e_same_pixels() {
  local a=$1 b=$2
  if (($# == 6)); then
    convert "$a" -crop "$5x$6+$3+$4" +repage "$E2E_WORK/same-a.png" &&
      convert "$b" -crop "$5x$6+$3+$4" +repage "$E2E_WORK/same-b.png" || return 2
    a=$E2E_WORK/same-a.png b=$E2E_WORK/same-b.png
  fi
  [[ "$(compare -metric AE "$a" "$b" null: 2>&1)" == 0 ]]
}

e2e_received() {
  [[ -f "$E2E_LOG" ]] || return 0
  cut -f2- "$E2E_LOG" | grep -v '^#' || true
}

e2e_received_time() {
  awk -F '\t' -v n="$1" '$2 !~ /^#/ && ++seen == n { print $1; exit }' "$E2E_LOG"
}

e2e_wait_received() {
  local count=$1 timeout=${2:-10}
  local deadline=$((${EPOCHREALTIME/[.,]/} + timeout * 1000000))
  while (($(e2e_received | wc -l) < count)); do
    ((${EPOCHREALTIME/[.,]/} < deadline)) ||
      e2e_fail "the room received $(e2e_received | wc -l) lines within $timeout s, expected $count"
    sleep 0.02
  done
}

e2e_events() {
  [[ -f "$E2E_LOG" ]] || return 0
  cut -f2- "$E2E_LOG" | grep -cxF -- "$1" || true
}

# Through the environment: awk -v would decode the log's \xHH escapes.
e2e_event_time() {
  E2E_RECORD=$1 awk -F '\t' -v n="${2:-1}" '$2 == ENVIRON["E2E_RECORD"] && ++seen == n { print $1; exit }' \
    "$E2E_LOG"
}

e2e_wait_event() {
  local event=$1 timeout=${2:-10} count=${3:-1}
  local deadline=$((${EPOCHREALTIME/[.,]/} + timeout * 1000000))
  while (($(e2e_events "$event") < count)); do
    ((${EPOCHREALTIME/[.,]/} < deadline)) ||
      e2e_fail "the log has $(e2e_events "$event") records '$event' after $timeout s, expected $count"
    sleep 0.02
  done
}

e2e_wait_gone() {
  local pid=$1 timeout=${2:-10} start=$EPOCHREALTIME
  local deadline=$((${EPOCHREALTIME/[.,]/} + timeout * 1000000))
  while vv_alive "$pid"; do
    if ((${EPOCHREALTIME/[.,]/} >= deadline)); then
      E2E_ELAPSED=$timeout
      return 1
    fi
    sleep 0.05
  done
  E2E_ELAPSED=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }')
}

e2e_probe() {
  local status
  E2E_PROBE_OUT=$(timeout -k 2 20 "$VV_WINE" "$WINDOW_PROBE_EXE" "$@" 2>"$E2E_WORK/probe.out")
  status=$?
  E2E_PROBE_OUT=${E2E_PROBE_OUT//$'\r'/}
  return $status
}

e2e_expect_transcript() {
  local -a actual expected=("$@")
  mapfile -t actual < <(e2e_received)
  local i n=$((${#actual[@]} > ${#expected[@]} ? ${#actual[@]} : ${#expected[@]}))
  for ((i = 0; i < n; i++)); do
    [[ "${actual[i]-<none>}" == "${expected[i]-<none>}" ]] && continue
    e2e_fail "the room's line $((i + 1)) of ${#actual[@]} differs:"$'\n'"    got:      ${actual[i]-<none>}"$'\n'"    expected: ${expected[i]-<none>}"
  done
}

e2e_seconds() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "") print "none"; else printf "%.3f\n", b - a }'
}

e2e_gap() {
  e2e_seconds "$(e2e_received_time "$1")" "$(e2e_received_time "$2")"
}
