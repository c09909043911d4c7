#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator with the device
# simulator beside it: pick its link in the "COM Port" box and try every command.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
exec scripts/try-with-simulator.sh "$@"
