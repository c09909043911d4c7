#!/usr/bin/env bash
# Configures (once) and builds the tree in build/ (or $BUILD_DIR); extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@"
fi
cmake --build "$build_dir"
