#!/usr/bin/env bash
# Sanitizers: builds the program and every test with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole suite; the first report stops the run
# that made it and fails its test.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a >/dev/null 2>&1 ||
   [ ! -e /usr/include/gtest/gtest.h ]; then
  apt-get update && apt-get install -y cmake ninja-build clang libclang-rt-14-dev libgtest-dev
fi

cmake --workflow --preset asan
