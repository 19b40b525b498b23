#!/usr/bin/env bash
# vorivevo.exe loads on the oldest Windows it is built for: every function in its import table is listed
# in TABLE with the oldest Windows that has it, none is newer than FLOOR, and the PE header asks for FLOOR
# as both its system and its subsystem version. Reads the file; needs no Wine.
#
#   tests/exe_import_floor.sh EXE FLOOR TABLE      (FLOOR as MAJOR.MINOR, e.g. 5.1)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/exe_facts.sh"
exe=$1 floor=$2 table=$3
name=exe_import_floor
[[ -f "$exe" ]] || { echo "$name: FAIL: no $exe"; exit 1; }
[[ -f "$table" ]] || { echo "$name: FAIL: no table $table"; exit 1; }

imports=$(exe_imports "$exe")
[[ -n "$imports" ]] || { echo "$name: FAIL: no import table read from $exe"; exit 1; }

# Versions compare as numbers: 5.2 is newer than 5.1, 10.0 than 6.3.
report=$(awk -v floor="$floor" -v tableFile="$table" '
  function newer(a, b,   x, y) {
    split(a, x, "."); split(b, y, ".")
    return x[1] + 0 != y[1] + 0 ? x[1] + 0 > y[1] + 0 : x[2] + 0 > y[2] + 0
  }
  FILENAME == tableFile {
    if ($0 ~ /^[[:space:]]*(#|$)/) next
    if (NF != 3 || $3 !~ /^[0-9]+\.[0-9]+$/) { print "FAIL: " tableFile ":" FNR ": not DLL FUNCTION VERSION: " $0; bad = 1; next }
    since[tolower($1) " " $2] = $3
    next
  }
  {
    count++
    dlls[tolower($1)] = 1
    key = tolower($1) " " $2
    if ($2 ~ /^#/) { print "FAIL: " $1 " function " substr($2, 2) " is imported by ordinal, which no table can date"; bad = 1; next }
    if (!(key in since)) { print "FAIL: " $1 " " $2 " is imported but not in " tableFile; bad = 1; next }
    if (newer(since[key], floor)) { print "FAIL: " $1 " " $2 " needs Windows " since[key] ", newer than the floor " floor; bad = 1; next }
    if (newest == "" || newer(since[key], newest)) { newest = since[key]; newestName = $1 " " $2 }
  }
  END {
    ndlls = 0; for (d in dlls) ndlls++
    if (!bad) print "ok: " count " functions from " ndlls " DLLs, none newer than " floor " (the newest, " newest ": " newestName ")"
    exit bad
  }' "$table" - <<<"$imports")
status=$?
echo "$report" | sed "s|^|$name: $exe: |"

for kind in OSystem Subsystem; do
  version=$(exe_header_version "$exe" "$kind")
  if [[ "$version" != "$floor" ]]; then
    echo "$name: $exe: FAIL: the PE header's $kind version is ${version:-unreadable}, not the floor $floor"
    status=1
  fi
done
exit "$status"
