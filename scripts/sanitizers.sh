#!/usr/bin/env bash
# Builds the core, the link and the window under AddressSanitizer with
# UndefinedBehaviorSanitizer and runs every test, the window's on the offscreen
# platform; then the link's tests and the fault suite's link cases under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build-asan/build.ninja ] || cmake --preset asan
cmake --build --preset asan
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j2

[ -f build-tsan/build.ninja ] || cmake --preset tsan
cmake --build --preset tsan
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build-tsan/tests/link/link_tests --gtest_brief=1
build-tsan/tests/faults/faults_tests --gtest_brief=1 --gtest_filter='LinkFaults.*'
