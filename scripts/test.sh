#!/usr/bin/env bash
# Installs what is missing, builds Morvane and runs every test.
#   scripts/test.sh             normal build in build/
#   scripts/test.sh --sanitize  every test under AddressSanitizer and
#                               UndefinedBehaviorSanitizer, in build-asan/
#   scripts/test.sh --fuzz      a short fuzzing run of every decoder (clang's
#                               libFuzzer, sanitizers on), in build-fuzz/
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--fuzz" ]; then
  exec scripts/fuzz.sh 12
fi

scripts/install-deps.sh
scripts/check-engine-boundary.sh

if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORVANE_SANITIZE=ON -DMORVANE_WERROR=ON -DMORVANE_BUILD_BENCH=OFF
  cmake --build build-asan -j2
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON
  cmake --build build -j2
  ctest --test-dir build --output-on-failure -j2
fi
