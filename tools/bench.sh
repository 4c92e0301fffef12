#!/usr/bin/env bash
# Runs the benchmarks of the build that tools/setup.sh made and prints a table:
# each measurement beside its baseline, the fastest of repeated runs.
set -euo pipefail
cd "$(dirname "$0")/.."
"${TOVARUNE_BUILD:-build}"/native/bench/tovarune_bench --benchmark_format=console "$@" 2>/dev/null | sed -n '/^benchmark /,$p'
