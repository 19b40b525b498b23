#!/usr/bin/env bash
# Our lines as people in the room see them: after ON, the practice client's transcript shows the idle
# line's glyphs in the tagged #FFAB3E and the display name underlined, as a link whose address the
# status line shows under the pointer; a line of malformed mark-up shows as text, tags and all.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib/e2e.sh"
POKE_EXE=${POKE_EXE:-$(dirname "$PRACTICE_CLIENT_EXE")/poke.exe}
# A colour of five digits, an unknown tag, an anchor without an address, a </a> with nothing to close.
malformed='<Font Color=#FFAB3>^v\xF7\xA4<b>Idle</b> < a href=>x</a>'

e2e_begin
e2e_start_client
e2e_start_vorivevo
e2e_wait_received 2
# It first shows over the client's top-left corner; set beside the frame, it hides nothing of the room.
e2e_client_geometry
e2e_geometry
e2e_drag 48 12 $((E2E_CLIENT_X + E2E_CLIENT_W + 16 - E2E_X)) $((E2E_CLIENT_Y - E2E_Y))
e2e_click 16 36  # ON
e2e_wait_received 4
timeout -k 2 20 "$VV_WINE" "$POKE_EXE" post "$malformed" >"$E2E_WORK/poke.out" 2>&1 || e2e_fail "poke post failed"
e2e_wait_received 5
e2e_expect_transcript "$E2E_ADVERT" "$E2E_LOADED" "$E2E_ADVERT" "$(e2e_idle_line 0)" "$malformed"
read -r _ screen_height <<<"$(xdotool getdisplaygeometry)"
xdotool mousemove 0 $((screen_height - 1))

# The transcript as it reads: tags gone where they act, kept where they do not.
transcript() {
  timeout -k 2 20 "$VV_WINE" "$POKE_EXE" transcript 2>>"$E2E_WORK/poke.out" | tr -d '\r'
}
mapfile -t shown < <(transcript)
e2e_assert_eq "the transcript's lines" "$(printf '%s\n' "${shown[@]:1}")" \
  "$(printf 'You: %s\n' '^v\xF7\xA4Zavarurev Iroz' '^v\xF7\xA4Now Loaded' '^v\xF7\xA4Zavarurev Iroz' \
    "^v\\xF7\\xA4I've Been Idle For: 0 Min(s)" "$malformed")"
# Inside its border.
read -r left top right bottom <<<"${shown[0]}"
left=$((left + 2)) top=$((top + 2)) right=$((right - 2)) bottom=$((bottom - 2))

# Each line of text in the picture, from the rows where "You:" is drawn (black, at the left), as
# "TOP BOTTOM ORANGE OTHER RUN RUN_ROW RUN_LEFT": its orange pixels (each channel within 8 of #FFAB3E)
# and the pixels neither orange nor black nor white right of its first orange one; its longest row of
# orange pixels side by side, where it is and where it starts.
analyse() {
  convert "$1" -depth 8 txt:- | awk '
    function near(value, wanted) { return value - wanted <= 8 && wanted - value <= 8 }
    NR > 1 {
      split($1, at, /[,:]/); x = at[1] + 0; y = at[2] + 0
      colour = $2; gsub(/[()]/, "", colour); split(colour, c, ",")
      if (near(c[1], 255) && near(c[2], 171) && near(c[3], 62)) kind[x, y] = "o"
      else if (c[1] + c[2] + c[3] == 765) kind[x, y] = ""
      else if (c[1] + c[2] + c[3] == 0) { kind[x, y] = "b"; if (x < 20) you[y] = 1 }
      else kind[x, y] = "x"
      if (x + 1 > width) width = x + 1
      if (y + 1 > height) height = y + 1
    }
    END {
      for (y = 0; y < height; y++) if (you[y] && !you[y - 1]) tops[++lines] = y
      for (k = 1; k <= lines; k++) {
        for (bottom = tops[k]; you[bottom + 1]; bottom++) {}
        from = tops[k] - 2
        to = k < lines ? tops[k + 1] - 2 : tops[k] + (tops[k] - tops[k - 1]) - 2
        orange = other = run = runRow = runLeft = 0; first = width
        for (y = from; y < to; y++) {
          length_ = 0
          for (x = 0; x < width; x++) {
            if (kind[x, y] == "o") {
              orange++; if (x < first) first = x
              if (++length_ > run) { run = length_; runRow = y; runLeft = x - length_ + 1 }
            } else length_ = 0
          }
        }
        for (y = from; y < to; y++) for (x = first; x < width; x++) if (kind[x, y] == "x" || kind[x, y] == "b") other++
        print tops[k], bottom, orange, other, run, runRow, runLeft
      }
    }'
}

# The room paints its lines after receiving them: pictures until one has the five lines.
for ((i = 0; i < 50; i++)); do
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$E2E_WORK/room.png" ||
    e2e_fail "no screenshot"
  mapfile -t lines < <(analyse "$E2E_WORK/room.png")
  ((${#lines[@]} == 5)) && break
  sleep 0.1
done
((${#lines[@]} == 5)) || e2e_fail "the transcript's picture shows ${#lines[@]} lines of text, not 5: ${lines[*]}"
e2e_note "lines (top bottom orange other run run-row run-left): $(printf '[%s] ' "${lines[@]}")"

read -r idle_top idle_bottom idle_orange idle_other idle_run _ <<<"${lines[3]}"
((idle_orange >= 150)) || e2e_fail "the idle line has $idle_orange pixels of #FFAB3E, expected its glyphs"
((idle_other == 0)) || e2e_fail "the idle line has $idle_other pixels in other colours after its first orange one"
# Glyphs only: no row of orange as long as an underline.
((idle_run < 20)) || e2e_fail "the idle line has a row of $idle_run orange pixels: underlined?"
for k in 0 2; do
  read -r advert_top advert_bottom _ advert_other run run_row run_left <<<"${lines[k]}"
  ((advert_other == 0)) || e2e_fail "advertisement line $((k + 1)) has $advert_other pixels in other colours"
  # The underline: as long as the name, below its capitals.
  ((run >= 50 && run_row > advert_bottom)) ||
    e2e_fail "advertisement line $((k + 1)): no underline (longest orange row $run pixels at $run_row, capitals end at $advert_bottom)"
done
read -r bad_top _ bad_orange bad_other _ <<<"${lines[4]}"
((bad_orange == 0)) || e2e_fail "the malformed line has $bad_orange orange pixels: some of its tags took effect"

# The display name is a link: under the pointer, its address shows in the client's status line.
read -r _ _ _ _ _ run_row run_left <<<"${lines[2]}"
status_line() {
  timeout -k 2 20 "$VV_WINE" "$POKE_EXE" tree 2>>"$E2E_WORK/poke.out" | tr -d '\r' | sed -n '2s/^ *_AOL_Static "\(.*\)"$/\1/p'
}
xdotool mousemove $((left + run_left + 20)) $((top + run_row - 4))
deadline=$((SECONDS + 5))
until [[ "$(status_line)" == "https://vorivevo.net/" ]]; do
  ((SECONDS < deadline)) || e2e_fail "the status line reads '$(status_line)' with the pointer on the display name"
  sleep 0.2
done
xdotool mousemove $((left + run_left + 20)) $((top + bad_top + 30))
deadline=$((SECONDS + 5))
until [[ "$(status_line)" == "Signed on as You" ]]; do
  ((SECONDS < deadline)) || e2e_fail "the status line reads '$(status_line)' with the pointer off the link"
  sleep 0.2
done
e2e_pass
