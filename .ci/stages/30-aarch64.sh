#!/usr/bin/env bash
# aarch64: cross-build the formatting tests statically and run them under qemu. This CPU
# has fused multiply-add, so the coordinate text must come out the same there as well.
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive
SECONDS=0

apt-get update
apt-get install -y --no-install-recommends cmake ninja-build googletest \
  g++-aarch64-linux-gnu libc6-dev-arm64-cross qemu-user
echo "aarch64 stage: packages ready after ${SECONDS}s"

cmake --workflow --preset aarch64
echo "aarch64 stage: passed in ${SECONDS}s"
