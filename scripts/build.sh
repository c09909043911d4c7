#!/usr/bin/env bash
# Configures (the release preset) and builds the tree in build/ (or $BUILD_DIR).
#   build.sh [CMAKE_ARGS...]   everything: the programs, the tests, the benchmarks
#   build.sh --programs        only the window, the simulator and zorbelctl (scripts/run.sh);
#                              a fresh tree is then configured without tests and benchmarks,
#                              whose libraries may not be installed
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
type_arg=()
[ -n "${BUILD_TYPE:-}" ] && type_arg=(-DCMAKE_BUILD_TYPE="$BUILD_TYPE")
configure() { cmake --preset release -B "$build_dir" "${type_arg[@]}" "$@"; }

if [ "${1:-}" = "--programs" ]; then
  [ -f "$build_dir/build.ninja" ] || configure -DZORBEL_BUILD_TESTS=OFF -DZORBEL_BUILD_BENCH=OFF
  exec cmake --build "$build_dir" --target zorbel-configurator zorbel-sim zorbelctl
fi

# A tree that run.sh configured leaves the tests out: put them back.
if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ] ||
  grep -q '^ZORBEL_BUILD_\(TESTS\|BENCH\):BOOL=OFF' "$build_dir/CMakeCache.txt"; then
  configure -DZORBEL_BUILD_TESTS=ON -DZORBEL_BUILD_BENCH=ON "$@"
fi
cmake --build "$build_dir"
