#!/usr/bin/env bash
# Our PNG encoder and deflate, checked by decoders that share no code with them: ImageMagick (libpng
# and zlib, which check the chunks' CRCs and the Adler-32) must give back exactly the pixels encoded,
# and gzip exactly the bytes deflated (it checks the CRC-32 and the length).
#
#   png_decode_test.sh PNG_SAMPLES_PROGRAM
set -u
for tool in convert identify gzip; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: no $tool (scripts/install-deps.sh installs it)"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/vorivevo-png.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
"$1" "$work" || { echo "FAIL: $1 did not write its cases"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The first pixel of WIDTH-pixel rows that differs between two RGB files, with both colours.
first_pixel_difference() {
  local byte pixel
  byte=$(cmp "$1" "$2" 2>&1 | sed -n 's/.* byte \([0-9]*\),.*/\1/p')
  [[ -n "$byte" ]] || { cmp "$1" "$2" 2>&1; return; }  # one is shorter
  pixel=$(((byte - 1) / 3))
  echo "pixel ($((pixel % $3)), $((pixel / $3))) is #$(od -An -tx1 -j$((pixel * 3)) -N3 "$1" | tr -d ' ')," \
    "expected #$(od -An -tx1 -j$((pixel * 3)) -N3 "$2" | tr -d ' ')"
}

while read -r kind name max width height; do
  case=$work/$name
  if [[ $kind == gz ]]; then
    file=$case.gz
    # gzip's message starts with an empty line.
    gzip -dc <"$file" >"$case.out" 2>"$case.err" || { fail "$name: gzip cannot inflate it: $(grep -m1 . "$case.err")"; continue; }
    cmp -s "$case.out" "$case.raw" || fail "$name: inflates to other bytes: $(cmp "$case.out" "$case.raw" 2>&1)"
  else
    file=$case.png
    size=$(identify -format '%w %h' "$file" 2>&1)
    # ImageMagick keeps libpng's reason (a chunk's CRC, the zlib stream, its Adler-32) to itself.
    [[ -n "$size" ]] || { fail "$name: ImageMagick cannot read it"; continue; }
    [[ "$size" == "$width $height" ]] || fail "$name: identify reads '$size', expected '$width $height'"
    convert "$file" -depth 8 "rgb:$case.out" 2>&1 | grep -m1 . && fail "$name: ImageMagick complains (above)"
    cmp -s "$case.out" "$case.rgb" ||
      fail "$name: decodes to other pixels: $(first_pixel_difference "$case.out" "$case.rgb" "$width")"
  fi
  bytes=$(stat -c %s "$file")
  ((max == 0 || bytes <= max)) || fail "$name: $bytes bytes, expected at most $max (are matches still found?)"
  echo "$kind $name: $bytes bytes"
done <"$work/cases.txt"

((failures == 0)) || { echo "$failures failures"; exit 1; }
echo "PASS"
