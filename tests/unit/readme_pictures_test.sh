#!/usr/bin/env bash
# Fails when a picture of the window in docs/ is not, byte for byte, the one the artwork code renders at
# build time. The encoder is our own and deterministic, so the same pixels always give the same bytes.
#
#   tests/unit/readme_pictures_test.sh RENDERED_DIR COMMITTED_DIR NAME...
set -u
rendered=$1 committed=$2
shift 2
stale=0
for name in "$@"; do
  [[ -f "$rendered/$name" ]] || { echo "FAIL: no $rendered/$name: build the native preset first"; exit 1; }
  if [[ ! -f "$committed/$name" ]]; then
    echo "FAIL: docs/$name is missing"
    stale=1
    continue
  fi
  cmp -s "$rendered/$name" "$committed/$name" && continue
  # How many pixels differ tells a changed drawing from a changed encoder.
  pixels=
  if command -v compare >/dev/null; then
    pixels=$(compare -metric AE "$committed/$name" "$rendered/$name" null: 2>&1)
    [[ "$pixels" =~ ^[0-9]+$ ]] && pixels=" ($pixels pixels differ)" || pixels=
  fi
  echo "FAIL: docs/$name differs from the picture the artwork code renders$pixels"
  stale=1
done
if ((stale)); then
  echo "to update docs/ with the rendered pictures: cmake --build --preset native --target update_readme_pictures"
  exit 1
fi
echo "PASS: docs/ holds the pictures the artwork code renders: $*"
