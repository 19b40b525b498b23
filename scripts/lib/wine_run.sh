#!/usr/bin/env bash
# Runs a console Windows program in the project's Wine prefix and exits with its status (ctest uses it).
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
vv_wine_prefix || exit 1
wine "$@" &
pid=$!
vv_track_pid "$pid"
wait "$pid"
