#!/usr/bin/env bash
# Builds the core and the link under AddressSanitizer with UndefinedBehaviorSanitizer
# and runs their tests, then the link's tests and the fault suite's link cases
# under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
common=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORBEL_BUILD_GUI=OFF -DZORBEL_BUILD_BENCH=OFF)

if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan "${common[@]}" \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
fi
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j2

if [ ! -f build-tsan/build.ninja ]; then
  cmake -S . -B build-tsan "${common[@]}" -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer"
fi
cmake --build build-tsan --target link_tests faults_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build-tsan/tests/link/link_tests --gtest_brief=1
build-tsan/tests/faults/faults_tests --gtest_brief=1 --gtest_filter='LinkFaults.*'
