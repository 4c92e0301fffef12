#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ and runs each for a bounded
# number of executions on a scratch copy of its seed corpus (new inputs never
# land in the repository). Fails on any crash, leak, sanitizer report or
# broken invariant; the input that failed is left in build-fuzz/artifacts/.
# FUZZ_RUNS and FUZZ_SECONDS override the bounds of every target.
set -euo pipefail
cd "$(dirname "$0")/.."

# Executions per target: each takes a few seconds to half a minute here.
declare -A runs=([options_fuzz]=200000 [save_ram_path_fuzz]=200000 [environment_fuzz]=200000)
seconds=${FUZZ_SECONDS:-60}

if ! command -v clang++-14 >/dev/null ||
  [ ! -f "$(clang++-14 --print-runtime-dir)/libclang_rt.fuzzer-x86_64.a" ]; then
  echo "clang++-14 with libFuzzer is missing: install the Debian packages clang-14 and libclang-rt-14-dev" >&2
  exit 1
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DTOVARUNE_FUZZ=ON -DTOVARUNE_BUILD_TESTS=OFF
cmake --build build-fuzz --target fuzz_targets

rm -rf build-fuzz/corpus build-fuzz/artifacts
mkdir -p build-fuzz/corpus build-fuzz/artifacts
status=0
for target in options_fuzz save_ram_path_fuzz environment_fuzz; do
  cp -r "native/fuzz/corpus/$target" "build-fuzz/corpus/$target"
  echo "== $target"
  if ! "build-fuzz/native/fuzz/$target" -runs="${FUZZ_RUNS:-${runs[$target]}}" \
    -max_total_time="$seconds" -timeout=10 -max_len=4096 \
    -artifact_prefix="build-fuzz/artifacts/$target-" \
    "build-fuzz/corpus/$target" >"build-fuzz/$target.log" 2>&1; then
    tail -n 60 "build-fuzz/$target.log" >&2
    echo "$target FAILED: input in build-fuzz/artifacts/" >&2
    status=1
    continue
  fi
  grep '^Done' "build-fuzz/$target.log" || true
done
exit "$status"
