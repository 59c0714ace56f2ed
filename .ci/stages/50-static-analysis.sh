#!/usr/bin/env bash
# Static analysis: clang-tidy with the committed .clang-tidy over every source file of
# src/ and tools/ that this platform compiles, and cppcheck over all of src/ and tools/.
# Any finding fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

if ! command -v clang-tidy >/dev/null || ! command -v cppcheck >/dev/null ||
   ! command -v clang++ >/dev/null; then
  apt-get update && apt-get install -y cmake ninja-build clang clang-tidy cppcheck
fi

# The compile commands of the lint preset say which files are built here, and how.
cmake --preset lint >/dev/null
root=$(pwd)
mapfile -t files < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' build/lint/compile_commands.json |
  grep -E "^$root/(src|tools)/" | sort -u)
if [ "${#files[@]}" -eq 0 ]; then
  echo "static analysis: no source files found in build/lint/compile_commands.json"
  exit 1
fi
echo "== clang-tidy: ${#files[@]} files"
clang-tidy --version | head -n 2
clang-tidy --quiet -p build/lint "${files[@]}"

echo "== cppcheck"
cppcheck --version
cppcheck --std=c++17 --language=c++ --library=posix \
  --enable=warning,style,performance,portability --inconclusive \
  --error-exitcode=1 --inline-suppr --suppress=missingIncludeSystem \
  --suppressions-list=.cppcheck-suppressions -I src -I tools --quiet src tools
echo "static analysis: clang-tidy and cppcheck found nothing"
