#!/usr/bin/env bash
# Runs the Windows build (under Wine) and the Linux build of trb2asc on the same inputs
# and requires byte-identical results: standard output, exit status, and every file
# left in the working directory.
# Usage: windows_linux_parity.sh LINUX_TRB2ASC WINDOWS_TRB2ASC_EXE MAKE_SAMPLE_TRACK
set -euo pipefail

linux_bin=$(realpath "$1")
windows_exe=$(realpath "$2")
make_sample=$(realpath "$3")
wine_run=$(realpath "$(dirname "$0")/../cmake/wine_run.sh")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$make_sample" "$work/sample.trb"
sample="$work/sample.trb"
header() { head -c 200 "$sample"; }

failures=0
cases=0

# run_case NAME SETUP [ARGUMENTS...]: SETUP fills the current directory with the inputs.
run_case() {
  local name=$1 setup=$2
  shift 2
  cases=$((cases + 1))
  local side
  for side in linux windows; do
    mkdir -p "$work/$name/$side"
    (cd "$work/$name/$side" && "$setup")
  done
  # No terminal and no stdin: the pause must give up at once on both (a run that waits
  # is stopped after 60 seconds and reported).
  local status_linux=0 status_windows=0
  (cd "$work/$name/linux" &&
    setsid timeout 60 "$linux_bin" "$@" </dev/null >"$work/$name/linux.out" 2>/dev/null) ||
    status_linux=$?
  (cd "$work/$name/windows" &&
    setsid timeout 60 "$wine_run" "$windows_exe" "$@" </dev/null >"$work/$name/windows.out" \
      2>/dev/null) || status_windows=$?

  local problems=()
  [ "$status_linux" != 124 ] || problems+=("the Linux run did not end")
  [ "$status_windows" != 124 ] || problems+=("the Windows run did not end")
  [ "$status_linux" = "$status_windows" ] ||
    problems+=("exit status $status_linux (Linux) vs $status_windows (Windows)")
  cmp -s "$work/$name/linux.out" "$work/$name/windows.out" || problems+=("standard output differs")
  local listing_linux listing_windows
  listing_linux=$(cd "$work/$name/linux" && find . -type f | sort)
  listing_windows=$(cd "$work/$name/windows" && find . -type f | sort)
  if [ "$listing_linux" != "$listing_windows" ]; then
    problems+=("files differ: [$listing_linux] vs [$listing_windows]")
  else
    local file
    for file in $listing_linux; do
      cmp -s "$work/$name/linux/$file" "$work/$name/windows/$file" || problems+=("$file differs")
    done
  fi
  if [ ${#problems[@]} -eq 0 ]; then
    echo "same  $name"
  else
    failures=$((failures + 1))
    echo "DIFF  $name: ${problems[*]}"
    echo "  Linux output:";   od -c "$work/$name/linux.out" | head -8 | sed 's/^/    /'
    echo "  Windows output:"; od -c "$work/$name/windows.out" | head -8 | sed 's/^/    /'
  fi
}

with_sample() { cp "$sample" ceTrackTail.trb; }
with_nothing() { :; }
with_overflow() {
  # Point count 2000 and the sample's records four times over: more than the store holds.
  { header; printf '\320\007\000\000'; for _ in 1 2 3 4; do tail -c +205 "$sample"; done; } >ceTrackTail.trb
}
with_205_bytes() { { header; printf '\002\000\000\000\100'; } >ceTrackTail.trb; }
with_204_bytes() { { header; printf '\002\000\000\000'; } >ceTrackTail.trb; }
with_negative_count() { { header; printf '\377\377\377\377'; tail -c +205 "$sample"; } >ceTrackTail.trb; }
with_old_output() { with_sample; printf 'old text that must go\r\n%.0s' $(seq 500) >VexaTrackTail.asc; }

run_case normal with_sample
run_case quiet with_sample -quiet
run_case quiet_upper_case with_sample -QUIET
run_case named_output with_sample out.asc
run_case switch_after_path with_sample out.asc -quiet
run_case path_after_switch with_sample -quiet out.asc
run_case empty_argument with_sample ""
run_case path_too_long with_sample "$(printf 'p%.0s' $(seq 254)).asc"
run_case replaces_old_output with_old_output
run_case missing_input with_nothing
run_case missing_input_quiet with_nothing -quiet
run_case overflow with_overflow
run_case overflow_quiet with_overflow -quiet
run_case output_not_creatable with_sample no_such_directory/out.asc
run_case self_overwrite with_sample ceTrackTail.trb
run_case file_of_205_bytes with_205_bytes
run_case file_of_204_bytes with_204_bytes
run_case negative_count with_negative_count
run_case help with_sample --help
run_case version with_sample --version
run_case help_lookalike_is_a_path with_sample ./--help

# Identical is not enough: the normal run must really have converted.
if ! grep -q "Trackpoints" "$work/normal/linux.out" || [ ! -s "$work/normal/linux/VexaTrackTail.asc" ]; then
  echo "the normal run converted nothing"
  failures=$((failures + 1))
fi

echo "$((cases - failures)) of $cases cases identical"
[ "$failures" -eq 0 ]
