#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed number of
# executions; any crash, leak or failed check fails the script.
#   FUZZ_SCALE=K  multiplies every target's execution count (default 1; raise it to fuzz longer)
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${FUZZ_SCALE:-1}
# Executions per target, sized so that each takes a minute or less on two cores.
declare -A runs_of=([integer_text]=600000 [frame_parser]=300000 [settings_codec]=100000 [ruf]=30000
                    [cfgfile]=8000)
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
  runs=$(( ${runs_of[$name]:-50000} * scale ))
  work=$(mktemp -d)
  seeds=fuzz/corpus/$name
  mkdir -p "$seeds"
  echo "== fuzz $name: $runs executions"
  if "$exe" -runs="$runs" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/" "$work" "$seeds" \
      >"$work.log" 2>&1; then
    grep -E 'Done [0-9]+ runs' "$work.log" | tail -n 1
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
