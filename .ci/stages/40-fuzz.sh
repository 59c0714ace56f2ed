#!/usr/bin/env bash
# Fuzzing: builds both libFuzzer targets and runs each for a bounded time from the
# committed seed corpus. Any crash, sanitizer report or failed property fails the stage;
# the input that caused it is kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  apt-get update && apt-get install -y cmake ninja-build clang libclang-rt-14-dev
fi

cmake --workflow --preset fuzz

seconds="${FUZZ_SECONDS:-60}"
findings=build/fuzz/findings
mkdir -p "$findings"
status=0
summary=""
# target:corpus:extra options
for entry in "fuzz_conversion:conversion:" "fuzz_fixed6:fixed6:-max_len=8"; do
  IFS=: read -r target corpus extra <<<"$entry"
  work=$(mktemp -d)  # new units go here, not into the committed seeds
  log="build/fuzz/$target.log"
  echo "== fuzz: $target for ${seconds}s"
  set +e
  # No controlling terminal, no standard input: nothing can wait for a key.
  "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" $extra \
    "$work" "fuzz/corpus/$corpus" </dev/null >"$log" 2>&1
  rc=$?
  set -e
  rm -rf "$work"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  tail -n 8 "$log"
  if [ "$rc" -ne 0 ]; then
    echo "fuzz: $target FOUND A FAULT (exit $rc); input kept in $findings/"
    grep -E 'check failed|ERROR: |runtime error|SUMMARY' "$log" | head -n 20 || true
    status=1
  fi
  summary+="fuzz: $target: ${runs:-?} executions in ${seconds}s, exit $rc"$'\n'
done
printf '%s' "$summary"
exit "$status"
