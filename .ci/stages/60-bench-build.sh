#!/usr/bin/env bash
# Builds the micro-benchmarks (they are not run here: timings on a shared CI machine say
# little; bench/run is the measurement).
set -euo pipefail
cd "$(dirname "$0")/../.."
export DEBIAN_FRONTEND=noninteractive

apt-get update
apt-get install -y cmake ninja-build g++ libbenchmark-dev

cmake --preset bench
cmake --build --preset bench
test -x build/bench/bench/trb2asc_bench
echo "benchmark built: build/bench/bench/trb2asc_bench"
