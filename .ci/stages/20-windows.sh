#!/usr/bin/env bash
# Windows: cross-build trb2asc.exe and the tests with MinGW-w64, run the unit tests under
# Wine (headless, private prefix) and require the Windows program to behave byte for
# byte like the Linux one on the same inputs. Then checks the .zip: what it holds, its
# text files in CR LF, and the zipped trb2asc.exe converting the sample as Linux does.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive
SECONDS=0

apt-get update
apt-get install -y --no-install-recommends cmake ninja-build g++ libgtest-dev googletest \
  g++-mingw-w64-x86-64-posix wine64 python3 unzip
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

# The package a Windows user downloads (made by the workflow's package step).
version=$(sed -n 's/^project(trb2asc VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="build/windows/packages/trb2asc-$version-win64.zip"
[ -f "$zip" ] || { echo "no $zip"; exit 1; }
top="trb2asc-$version-win64"
held=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' LICENSE.txt README.txt examples/ceTrackTail.trb \
  share/trb2asc/trb2asc.style trb2asc.exe | sed "s|^|$top/|" | sort)
if [ "$held" != "$expected" ]; then
  echo "the .zip holds:"; echo "$held"; exit 1
fi
unzip -q "$zip" -d "$scratch/zip"
unpacked="$scratch/zip/$top"
for text in README.txt LICENSE.txt; do
  # Plain ASCII, and every line ended by CR LF (Notepad shows nothing else right).
  if LC_ALL=C grep -q '[^[:print:][:space:]]' "$unpacked/$text" ||
     [ "$(tr -cd '\n' <"$unpacked/$text" | wc -c)" != "$(grep -c $'\r$' "$unpacked/$text")" ]; then
    echo "$text in the .zip is not plain CR LF text"; exit 1
  fi
done
cmp "$unpacked/examples/ceTrackTail.trb" examples/ceTrackTail.trb
# Converted in its own folder, as the README.txt tells; the same bytes as on Linux.
mkdir "$scratch/linux_sample"
cp examples/ceTrackTail.trb "$scratch/linux_sample/"
root=$(pwd)
(cd "$scratch/linux_sample" && setsid -w "$root/build/test/trb2asc" </dev/null >console.out)
(cd "$unpacked/examples" && setsid -w "$root/cmake/wine_run.sh" ../trb2asc.exe </dev/null >console.out)
cmp "$unpacked/examples/console.out" "$scratch/linux_sample/console.out"
cmp "$unpacked/examples/VexaTrackTail.asc" "$scratch/linux_sample/VexaTrackTail.asc"
grep -q ' : 400 Trackpoints' "$unpacked/examples/console.out"
(cd "$unpacked" && "$root/cmake/wine_run.sh" trb2asc.exe --version </dev/null >version.out)
[ "$(cat "$unpacked/version.out")" = "trb2asc $version"$'\r' ]
echo "windows stage: $zip holds what it should and converts the sample as Linux does"
echo "windows stage: passed in ${SECONDS}s"
