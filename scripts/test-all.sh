#!/usr/bin/env bash
# Runs every test: the unit tests (plain and under ASan/UBSan), both Windows builds, the automation
# contract cases against real windows under Wine, and the end-to-end tests of vorivevo.exe; the Windows
# tests for every architecture this machine runs (x86_64 always, i686 where the kernel runs 32-bit
# programs), the end-to-end tests once more with Wine reporting Windows XP, and a line saying what was
# skipped and why.
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
# cannot run, its tests that need no Wine (the .exe's size and imports) still do. A run that counts must
# have skipped nothing: a test that finds it cannot run its architecture after all says so by skipping.
run_windows_tests() {
  local preset=$1 log
  shift
  log=$(mktemp "${TMPDIR:-/tmp}/vorivevo-ctest.XXXXXX")
  ctest --preset "$preset" -j "$jobs" "$@" 2>&1 | tee "$log"
  if grep -q '\*\*\*Skipped' "$log"; then
    rm -f "$log"
    echo "test-all: FAIL: tests of the $preset preset were skipped although its architecture runs here"
    return 1
  fi
  rm -f "$log"
}

vv_runs_arch x86_64 || { echo "test-all: FAIL: x86_64 tests cannot run: $VV_ARCH_WHY"; exit 1; }
ran=()
if vv_runs_arch i686; then
  run_windows_tests win32
  ran+=(i686)
else
  skipped=$(vv_skip_line i686)
  run_windows_tests win32 -LE wine
fi
run_windows_tests win64
ran+=(x86_64)

# Once more, the end-to-end tests with Wine reporting Windows XP, the oldest Windows the program runs on,
# so that whatever Wine or the program keys to the version runs too. One architecture is enough: i686
# where it runs, else x86_64, for which XP is XP x64.
xpPreset=win64
vv_runs_arch i686 && xpPreset=win32
VORIVEVO_WINE_VERSION=winxp run_windows_tests "$xpPreset" -L e2e

echo "test-all: Windows tests ran on ${ran[*]}; the end-to-end tests again on $xpPreset with Wine reporting Windows XP"
[[ -z "${skipped:-}" ]] || echo "test-all: $skipped"
