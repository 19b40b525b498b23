#!/usr/bin/env bash
# Runs every test: the unit tests (plain and under ASan/UBSan), both Windows builds, the automation
# contract cases against real windows under Wine, and the end-to-end tests of vorivevo.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

for preset in native native-asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
