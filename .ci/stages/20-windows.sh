#!/usr/bin/env bash
# Windows: cross-build trb2asc.exe and the tests with MinGW-w64, run the unit tests under
# Wine (headless, private prefix) and require the Windows program to behave byte for
# byte like the Linux one on the same inputs.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive
SECONDS=0

apt-get update
apt-get install -y --no-install-recommends cmake ninja-build g++ libgtest-dev googletest \
  g++-mingw-w64-x86-64-posix wine64 python3
echo "windows stage: packages ready after ${SECONDS}s"

export WINEDEBUG=-all
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/wine"
unset DISPLAY WAYLAND_DISPLAY
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# Stops this prefix's Wine server (ours alone) and removes the prefix.
finish() {
  "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap finish EXIT

# Creating the Wine prefix takes many seconds: done alongside the compiler.
cmake/wine_run.sh wineboot </dev/null >/dev/null 2>&1 &
prefix_ready=$!
cmake --workflow --preset windows
wait "$prefix_ready" || true  # a failed prefix shows in the tests that follow
echo "windows stage: cross build and unit tests done after ${SECONDS}s"

# The Linux program to compare with (already built by the main test run).
cmake --preset test >/dev/null
cmake --build --preset test --target trb2asc make_sample_track
tests/windows_linux_parity.sh build/test/trb2asc build/windows/trb2asc.exe \
  build/test/make_sample_track
# On a pseudo-terminal Wine gives the program a console: the pause waits and echoes.
build/test/make_sample_track "$scratch/sample.trb"
python3 tests/wine_console_pause.py cmake/wine_run.sh build/windows/trb2asc.exe \
  "$scratch/sample.trb"
echo "windows stage: passed in ${SECONDS}s"
