#!/usr/bin/env bash
# Checks the house habits: clang-format's layout (.clang-format) over src/,
# tools/, tests/, bench/ and fuzz/, and clang-tidy's checks (.clang-tidy) over
# src/ and tools/. Fails on a finding.
# Needs a configured build tree for its compile commands (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
mapfile -t sources < <(git ls-files '*.cpp' '*.h' | grep -E '^(src|tools|tests|bench|fuzz)/')

echo "== clang-format: ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

echo "== clang-tidy"
# Only our own translation units: not the code moc and uic generate in the build tree.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! run-clang-tidy -p "$build_dir" -j "$(nproc)" -quiet "^$PWD/(src|tools)/.*\.cpp$" >"$log" 2>&1; then
  grep -E '(error|warning):' "$log" | sort -u || tail -n 40 "$log"
  echo "clang-tidy: findings above"
  exit 1
fi
echo "style: clang-format and clang-tidy clean"
