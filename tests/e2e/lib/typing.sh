# Typing on while vorivevo.exe posts: the practice client types a run of keys (a, b, ... z, a, ... counted
# over the client's life) through one of its two paths, and the room and the entry box are read back to
# say where each key ended. Source it after e2e.sh; the end-to-end test and the soak share it.
#
#   typing_user_in_client       the client's frame active and its entry box focused, as after the user's
#                               click into the box (X input focus to the frame, then focus-entry)
#   typing_show_entry           TYPING_ENTRY: the entry box's text, escaped as in the log, asked for and
#                               waited for
#   typing_run PATH N RATE      queue N keys at RATE a second through PATH (keyboard or thread) and
#                               note where the run starts in the client's sequence of keys
#   typing_wait_typed PATH [S]  wait for the run's "#typed PATH ..." record; TYPING_RECORD holds it
#   typing_account DRAFT FROM   TYPING_* below, for the keys of every run since typing_reset, given the
#                               box's draft before them and the number of lines the room had then
#   typing_reset                a new account: the next run's keys are the first counted
#
# Set by typing_account: TYPING_KEYS (typed), TYPING_IN_BOX (in the box, in order), TYPING_SENT (went out
# with one of our lines), TYPING_ALONE (went out in a line with none of ours), TYPING_LOST (none of
# these), TYPING_POSTED (our lines received, keys or not), TYPING_STRAY (what the box holds besides the
# draft and the typed keys in order after it: our text, keys before the draft; empty when nothing),
# TYPING_GARBLED (received lines that are neither ours nor ours with keys around them, one a line).

TYPING_FIRST=0      # the first counted key's place in the client's sequence
TYPING_NEXT=0       # the next run's first key
TYPING_KEYS=0
TYPING_RECORD=
TYPING_ENTRY=

typing_user_in_client() {
  local frame
  frame=$(xdotool search --onlyvisible --name '^Practice Chat$' | head -1)
  [[ -n "$frame" ]] || e2e_fail "the practice client's frame is not on the display"
  xdotool windowfocus --sync "$frame" || e2e_fail "could not give the client the keyboard"
  local seen
  seen=$(e2e_events '#focus-entry')
  e2e_control focus-entry
  e2e_wait_event '#focus-entry' 5 $((seen + 1))
}

typing_show_entry() {
  local seen now deadline=$((SECONDS + 10)) entry
  seen=$(cut -f2 "$E2E_LOG" | grep -ac '^#entry ')
  e2e_control show-entry
  while now=$(cut -f2 "$E2E_LOG" | grep -ac '^#entry '); ((now <= seen)); do
    ((SECONDS < deadline)) || e2e_fail "the client did not show its entry box within 10 s"
    sleep 0.05
  done
  entry=$(cut -f2 "$E2E_LOG" | grep -a '^#entry ' | tail -1)
  TYPING_ENTRY=${entry#\#entry }
}

typing_reset() {
  TYPING_FIRST=$TYPING_NEXT
  TYPING_KEYS=0
}

# A round of typing: the draft DRAFT in the entry box, the keyboard there, the keys counted from here;
# TYPING_FROM is how many lines the room had received before it.
typing_begin() {
  local draft=$1 drafts
  drafts=$(e2e_events "#draft $draft")
  e2e_control "draft $draft"
  e2e_wait_event "#draft $draft" 5 $((drafts + 1))
  typing_user_in_client
  TYPING_FROM=$(e2e_received | wc -l)
  typing_reset
}

typing_run() {
  e2e_control "type-$1 $2 $3"
  TYPING_NEXT=$((TYPING_NEXT + $2))
  TYPING_KEYS=$((TYPING_KEYS + $2))
}

typing_wait_typed() {
  local path=$1 timeout=${2:-60} seen
  seen=$(cut -f2 "$E2E_LOG" | grep -ac "^#typed $path " || true)
  local deadline=$((SECONDS + timeout))
  until (($(cut -f2 "$E2E_LOG" | grep -ac "^#typed $path " || true) > seen)); do
    ((SECONDS < deadline)) || e2e_fail "no '#typed $path' record within $timeout s"
    sleep 0.1
  done
  TYPING_RECORD=$(cut -f2 "$E2E_LOG" | grep -a "^#typed $path " | tail -1)
}

typing_account() {
  local draft=$1 from=$2 entry head='' rest report tries
  # The draft goes back a few messages after the press that sent the last line: the box is read until
  # two reads 0.3 s apart agree, so that a give-back still on its way is not taken for keys lost.
  typing_show_entry
  entry=$TYPING_ENTRY
  for ((tries = 0; tries < 30; tries++)); do
    sleep 0.3
    typing_show_entry
    [[ "$TYPING_ENTRY" == "$entry" ]] && break
    entry=$TYPING_ENTRY
  done
  if [[ "$entry" == *"$draft"* ]]; then
    head=${entry%%"$draft"*}
    rest=${entry#*"$draft"}
  else
    rest=$entry
  fi
  report=$(e2e_received | tail -n +$((from + 1)) |
    TYPING_BOX=$rest TYPING_OURS="$E2E_ADVERT|$E2E_LOADED|$E2E_OFF|$E2E_UNLOADED|$(e2e_idle_line 0)" \
      awk -v first="$TYPING_FIRST" -v count="$TYPING_KEYS" '
      BEGIN { n = split(ENVIRON["TYPING_OURS"], ours, "|"); sent = ""; alone = ""; posted = 0 }
      # A received line: one of ours with keys before and after it, keys alone, or neither.
      {
        found = 0
        for (i = 1; i <= n; i++) {
          at = index($0, ours[i])
          if (!at) continue
          around = substr($0, 1, at - 1) substr($0, at + length(ours[i]))
          if (around ~ /^[a-z]*$/) { found = 1; posted++; sent = sent around; break }
        }
        if (found) next
        if ($0 ~ /^[a-z]+$/) { alone = alone $0; next }
        garbled = garbled $0 "\n"
      }
      END {
        box = ENVIRON["TYPING_BOX"]
        letters = "abcdefghijklmnopqrstuvwxyz"
        inBox = 0; sentCount = 0; aloneCount = 0; lost = 0; b = 1; s = 1; a = 1; stray = ""
        for (i = 1; i <= n; i++)
          while ((at = index(box, ours[i]))) {
            stray = stray ours[i]
            box = substr(box, 1, at - 1) substr(box, at + length(ours[i]))
          }
        # Each key, in the order typed, is the next one left in the box, or in what went out. What the box
        # holds that is no key in its place (our text, a key out of order) is skipped as stray.
        for (k = 0; k < count; k++) {
          key = substr(letters, (first + k) % 26 + 1, 1)
          while (b <= length(box) && substr(box, b, 1) != key && (substr(box, b, 1) !~ /[a-z]/ || substr(box, b + 1, 1) == key)) {
            stray = stray substr(box, b, 1); b++
          }
          if (substr(box, b, 1) == key) { inBox++; b++ }
          else if (substr(sent, s, 1) == key) { sentCount++; s++ }
          else if (substr(alone, a, 1) == key) { aloneCount++; a++ }
          else lost++
        }
        stray = stray substr(box, b)
        if (s <= length(sent)) garbled = garbled "keys not typed, sent with our lines: " substr(sent, s) "\n"
        if (a <= length(alone)) garbled = garbled "keys not typed, sent alone: " substr(alone, a) "\n"
        gsub(/\n/, "\\n", garbled)
        printf "%d %d %d %d %d\037%s\037%s\n", inBox, sentCount, aloneCount, lost, posted, stray, garbled
      }')
  local counts
  IFS=$'\037' read -r counts TYPING_STRAY TYPING_GARBLED <<<"$report"
  read -r TYPING_IN_BOX TYPING_SENT TYPING_ALONE TYPING_LOST TYPING_POSTED <<<"$counts"
  TYPING_GARBLED=${TYPING_GARBLED//\\n/$'\n'}
  if [[ "$entry" != *"$draft"* ]]; then
    TYPING_STRAY="(the draft is gone) $TYPING_STRAY"
  elif [[ -n "$head" ]]; then
    TYPING_STRAY="(before the draft) $head${TYPING_STRAY:+ (after it) $TYPING_STRAY}"
  fi
}
