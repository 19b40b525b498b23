#!/usr/bin/env bash
# vorivevo.exe runs on a bare Windows: its import table names system DLLs only, and (for the build
# that has a limit) the file stays under MAX_KIB. Reads the file; needs no Wine.
#
#   tests/exe_footprint.sh EXE MAX_KIB      (MAX_KIB 0: no size limit)
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib/exe_facts.sh"
exe=$1 maxKib=$2
[[ -f "$exe" ]] || { echo "exe_footprint: FAIL: no $exe"; exit 1; }
bytes=$(stat -c %s "$exe")
dlls=$(exe_dlls "$exe")
echo "exe_footprint: $exe: $((bytes / 1024)) KiB ($bytes bytes); imports $dlls"
[[ -n "$dlls" ]] || { echo "exe_footprint: FAIL: no import table read"; exit 1; }
# shellcheck disable=SC2086
exe_dlls_are_system $dlls || { echo "exe_footprint: FAIL: imports a DLL that is not the system's own"; exit 1; }
if ((maxKib > 0 && bytes >= maxKib * 1024)); then
  echo "exe_footprint: FAIL: $bytes bytes, not under $maxKib KiB"
  exit 1
fi
