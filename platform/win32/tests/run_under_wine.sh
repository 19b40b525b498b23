#!/usr/bin/env bash
# Runs a Windows test program that makes windows, for CTest: in the project's Wine prefix, on the X
# display named by DISPLAY or else on a private Xvfb, both cleaned up when the program ends.
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/wine_env.sh"
vv_wine_prefix || exit 1
vv_start_xvfb || exit 1
wine "$@" &
pid=$!
vv_track_pid "$pid"
wait "$pid"
