#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed number of
# executions; any crash, leak or failed check fails the script.
#   FUZZ_SCALE=K  multiplies every target's execution count (default 1; raise it to fuzz longer)
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${FUZZ_SCALE:-1}
# Executions per target: together over two million, each target a minute or
# less on one core of a two-core machine.
declare -A runs_of=([integer_text]=1000000 [frame_parser]=1000000 [settings_codec]=200000 [ruf]=60000
                    [cfgfile]=50000)
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
# Coverage hooks stay out of the standard library's templates and the cipher
# (fuzz/coverage_ignore.txt, named by the fuzz preset); ccache must see that
# file's content too.
export CCACHE_EXTRAFILES=$PWD/fuzz/coverage_ignore.txt
[ -f "$build_dir/build.ninja" ] || cmake --preset fuzz -B "$build_dir" >/dev/null
cmake --build "$build_dir"

passed=0
failed=0
total_runs=0
for exe in "$build_dir"/fuzz/*_fuzz; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe" _fuzz)
  runs=$(( ${runs_of[$name]:-50000} * scale ))
  work=$(mktemp -d)
  seeds=fuzz/corpus/$name
  mkdir -p "$seeds"
  # Seeds the build makes from the tests' own files (fuzz/CMakeLists.txt).
  made=()
  [ -d "$build_dir/fuzz/seeds/$name" ] && made=("$build_dir/fuzz/seeds/$name")
  echo "== fuzz $name: $runs executions"
  start=$(date +%s.%N)
  # New inputs go to the scratch folder (the first one named), never into the seeds.
  if "$exe" -runs="$runs" -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/" "$work" "$seeds" "${made[@]}" \
      >"$work.log" 2>&1; then
    done_runs=$(grep -oE 'Done [0-9]+ runs' "$work.log" | tail -n 1 | grep -oE '[0-9]+')
    awk -v n="$name" -v r="$done_runs" -v s="$start" -v e="$(date +%s.%N)" \
      'BEGIN { printf "fuzz %s: %d executions in %.1f s (%.0f a second)\n", n, r, e - s, r / (e - s) }'
    total_runs=$((total_runs + done_runs))
    passed=$((passed + 1))
  else
    tail -n 40 "$work.log"
    mkdir -p fuzz-findings && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* fuzz-findings/ 2>/dev/null || true
    failed=$((failed + 1))
  fi
  rm -rf "$work" "$work.log"
done
echo "fuzz: $total_runs executions in all"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
