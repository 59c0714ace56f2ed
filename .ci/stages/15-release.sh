#!/usr/bin/env bash
# The release as shipped: builds the Linux release (a static executable against musl),
# checks that it is one, and runs the end-to-end, hostile-input and pseudo-terminal tests
# against that very file. The package stage then checks that the packages hold it.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

apt-get update
apt-get install -y cmake ninja-build g++ libgtest-dev musl-tools binutils

fail() {
  echo "release check failed: $*" >&2
  exit 1
}

cmake --workflow --preset release
program=build/release/trb2asc
grep -q '^TRB2ASC_MUSL_BUILD:INTERNAL=ON$' build/release/CMakeCache.txt ||
  fail "the release was not configured against musl"
if readelf -l "$program" | grep -q INTERP; then
  fail "$program is dynamically linked"
fi
# glibc's start files leave an ABI note and its tunables name; musl has neither.
if readelf -n "$program" | grep -q NT_GNU_ABI_TAG || grep -qa GLIBC_ "$program"; then
  fail "$program carries glibc"
fi

cmake --workflow --preset release-check
echo "release checked: $program, static against musl, $(stat -c %s "$program") bytes"
