#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the machine lacks for a purpose:
#   install-deps.sh run    building and running the programs (scripts/run.sh)
#   install-deps.sh test   that, and the tests, benchmarks, style checks and package check (default)
set -euo pipefail
purpose=${1:-test}
run_packages=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev libgl-dev libjpeg-dev
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
  clang libclang-rt-dev clang-format clang-tidy dpkg-dev file strace
)
case "$purpose" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: install-deps.sh [run|test]" >&2; exit 64 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
