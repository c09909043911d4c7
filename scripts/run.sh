#!/usr/bin/env bash
# Installs what building and running needs and the machine lacks, builds the
# programs (not the tests), and starts the configurator with the device
# simulator beside it, its link preselected in the "COM Port" box.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
exec scripts/try-with-simulator.sh "$@"
