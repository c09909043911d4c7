#!/usr/bin/env bash
# Configures (once, the release preset) and builds the tree in build/ (or $BUILD_DIR);
# extra arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/build.ninja" ] || [ $# -gt 0 ]; then
  type_arg=()
  [ -n "${BUILD_TYPE:-}" ] && type_arg=(-DCMAKE_BUILD_TYPE="$BUILD_TYPE")
  cmake --preset release -B "$build_dir" "${type_arg[@]}" "$@"
fi
cmake --build "$build_dir"
