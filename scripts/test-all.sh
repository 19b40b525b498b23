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

# The Windows tests under Wine: the practice client's and the back ends' tests, and the end-to-end
# tests of vorivevo.exe (each on an X server of its own, so they may run side by side).
ctest --preset win32 -j "$jobs"
