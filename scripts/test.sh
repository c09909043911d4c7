#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the test suites, the
# Debian package check, the sanitizer builds and the fuzz targets.
#   --quick  the style checks and the test suites (what a developer runs between changes)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j2
echo "== style"
scripts/check-style.sh
[ "${1:-}" = "--quick" ] && exit 0

echo "== Debian package"
scripts/package.sh
echo "== AddressSanitizer, UndefinedBehaviorSanitizer and ThreadSanitizer"
scripts/sanitizers.sh
echo "== fuzzing"
scripts/fuzz.sh
