#!/usr/bin/env bash
# Our PNG encoder and deflate, checked by decoders that share no code with them: ImageMagick (libpng
# and zlib, which check the chunks' CRCs and the Adler-32) must give back exactly the pixels encoded,
# and gzip exactly the bytes deflated (it checks the CRC-32 and the length).
#
#   png_decode_test.sh PNG_SAMPLES_PROGRAM
set -u
samples=$1
for tool in convert identify gzip; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: no $tool (scripts/install-deps.sh installs it)"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/vorivevo-png.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
"$samples" "$work" || { echo "FAIL: $samples did not write its cases"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Bytes at which two files first differ, or their sizes when one is a prefix of the other.
first_difference() {
  cmp "$1" "$2" 2>&1 | head -1
}

# The first pixel that differs between two RGB files of WIDTH pixels a row, and its two colours.
first_pixel_difference() {
  local got=$1 want=$2 width=$3 byte pixel
  byte=$(cmp "$got" "$want" 2>/dev/null | sed -n 's/.* byte \([0-9]*\),.*/\1/p')
  [[ -n "$byte" ]] || { first_difference "$got" "$want"; return; }
  pixel=$(((byte - 1) / 3))
  printf 'pixel (%d, %d) is #%s, expected #%s' $((pixel % width)) $((pixel / width)) \
    "$(od -An -tx1 -j$((pixel * 3)) -N3 "$got" | tr -d ' ')" "$(od -An -tx1 -j$((pixel * 3)) -N3 "$want" | tr -d ' ')"
}

# The first line that says something: gzip's messages start with an empty one.
first_line() {
  grep -m1 . "$1"
}

while read -r kind name a b c; do
  case $kind in
    gz)
      max=$a
      if ! gzip -dc <"$work/$name.gz" >"$work/$name.out" 2>"$work/$name.err"; then
        fail "$name: gzip cannot inflate it: $(first_line "$work/$name.err")"
        continue
      fi
      cmp -s "$work/$name.out" "$work/$name.raw" ||
        fail "$name: inflates to other bytes: $(first_difference "$work/$name.out" "$work/$name.raw")"
      file=$work/$name.gz
      ;;
    png)
      width=$a height=$b max=$c
      size=$(identify -format '%w %h' "$work/$name.png" 2>"$work/$name.err")
      if [[ -z "$size" ]]; then
        # ImageMagick keeps libpng's reason (a chunk's CRC, the zlib stream, its Adler-32) to itself.
        fail "$name: ImageMagick cannot read it $(first_line "$work/$name.err")"
        continue
      fi
      [[ "$size" == "$width $height" ]] || fail "$name: identify reads '$size', expected '$width $height'"
      if ! convert "$work/$name.png" -depth 8 "rgb:$work/$name.out" 2>"$work/$name.err"; then
        fail "$name: ImageMagick cannot decode it: $(first_line "$work/$name.err")"
        continue
      fi
      [[ -s "$work/$name.err" ]] && fail "$name: ImageMagick warns: $(first_line "$work/$name.err")"
      cmp -s "$work/$name.out" "$work/$name.rgb" ||
        fail "$name: decodes to other pixels: $(first_pixel_difference "$work/$name.out" "$work/$name.rgb" "$width")"
      file=$work/$name.png
      ;;
    *)
      fail "unknown case kind '$kind'"
      continue
      ;;
  esac
  bytes=$(stat -c %s "$file")
  ((max == 0 || bytes <= max)) || fail "$name: $bytes bytes, expected at most $max (are matches still found?)"
  echo "$kind $name: $bytes bytes"
done <"$work/cases.txt"

((failures == 0)) || { echo "$failures failures"; exit 1; }
echo "PASS"
