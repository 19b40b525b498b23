#!/usr/bin/env bash
# Runs every test: the unit tests (plain and under ASan/UBSan), both Windows builds, the automation
# contract cases against real windows under Wine, and the end-to-end tests of vorivevo.exe; the Windows
# tests for every architecture this machine runs (x86_64 always, i686 where the kernel runs 32-bit
# programs), and a line saying what was skipped and why.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/lib/wine_env.sh
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
# tests of vorivevo.exe (each on an X server of its own, so they may run side by side). Where i686
# cannot run, its tests that need no Wine (the .exe's size and imports) still do.
ran=()
if vv_runs_arch i686; then
  ctest --preset win32 -j "$jobs"
  ran+=(i686)
else
  skipped=$(vv_skip_line i686)
  ctest --preset win32 -j "$jobs" -LE wine
fi
ctest --preset win64 -j "$jobs"
ran+=(x86_64)

echo "test-all: Windows tests ran on ${ran[*]}"
[[ -z "${skipped:-}" ]] || echo "test-all: $skipped"
