#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest and exits with its status: in a Wine prefix of the
# program's own architecture, and with --display on the X display named by DISPLAY or else on a
# private Xvfb, both cleaned up when the program ends. Exits 77, which CTest counts as skipped, when
# this machine cannot run that architecture.
#
#   wine_run.sh [--display] PROGRAM.exe [ARG...]
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
display=0
if [[ "${1:-}" == --display ]]; then
  display=1
  shift
fi
arch=$(vv_exe_arch "$1") || { vv_log "$1 is not a Windows program of a known architecture"; exit 1; }
vv_wine_prefix "$arch" || exit $?
if ((display)); then
  vv_start_xvfb || exit 1
fi
"$VV_WINE" "$@" &
pid=$!
vv_track_pid "$pid"
wait "$pid"
