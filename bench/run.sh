#!/usr/bin/env bash
# Builds the benchmark in Release (build-bench/) and runs it. Any arguments go to the benchmark, e.g.
#   bash bench/run.sh                          # 10,000 and 100,000 stock lines, confirms on 10,000 and 1,000,000 rows
#   bash bench/run.sh --sizes 100000,1000000   # adds the 1,000,000-line size
#   bash bench/run.sh --sizes 1000000,5000000 --scenarios all --no-in-process   # large ledgers, on request only
# BUILD_DIR and BUILD_TYPE choose another build tree (e.g. BUILD_DIR=build BUILD_TYPE=RelWithDebInfo).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${BUILD_DIR:-build-bench}"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" >/dev/null
cmake --build "$build_dir" -j"${JOBS:-2}" --target tarvenish_bench
"$build_dir/bench/tarvenish_bench" "$@"
