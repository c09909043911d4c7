#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed number of
# executions; any crash, leak or failed check fails the script.
#   FUZZ_RUNS=N  executions per target (default 250000; raise it to fuzz longer)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${FUZZ_RUNS:-250000}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
if [ ! -f "$build_dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZORBEL_FUZZ=ON -DZORBEL_BUILD_GUI=OFF -DZORBEL_BUILD_TESTS=OFF -DZORBEL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
fi
cmake --build "$build_dir"

passed=0
failed=0
for exe in "$build_dir"/fuzz/*_fuzz; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe" _fuzz)
  work=$(mktemp -d)
  seeds=fuzz/corpus/$name
  mkdir -p "$seeds"
  echo "== fuzz $name: $runs executions"
  if "$exe" -runs="$runs" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/" "$work" "$seeds" \
      >"$work.log" 2>&1; then
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work.log" | tail -n 2
    passed=$((passed + 1))
  else
    tail -n 40 "$work.log"
    mkdir -p fuzz-findings && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* fuzz-findings/ 2>/dev/null || true
    failed=$((failed + 1))
  fi
  rm -rf "$work" "$work.log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
