#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   ./test.sh              normal build in build/
#   ./test.sh --sanitize   AddressSanitizer + UBSan build in build-sanitize/
#   ./test.sh --fuzz       clang libFuzzer build in build-fuzz/; each target runs a few seconds
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

build_dir=build
cmake_args=(-G Ninja)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-sanitize
  cmake_args+=(-DQUILLSET_SANITIZE=ON -DQUILLSET_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
elif [ "${1:-}" = "--fuzz" ]; then
  build_dir=build-fuzz
  export CC=clang CXX=clang++
  cmake_args+=(-DQUILLSET_FUZZ=ON -DQUILLSET_TESTS=OFF -DQUILLSET_BENCH=OFF)
fi
cmake -S . -B "$build_dir" "${cmake_args[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
# Most tests wait on a local server or a child program rather than compute, so twice as many
# run at once as there are cores. The rows labelled slow, which sit out the agent's real time
# limits, start first and run beside the rest; a quick run by hand leaves them out with
# `ctest -LE slow`.
ctest --test-dir "$build_dir" --output-on-failure -j"$(($(nproc) * 2))" --timeout 600 --no-tests=error
