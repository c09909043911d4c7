#!/usr/bin/env bash
# Builds the programs, starts zorbel-sim in the background and then the
# configurator. The simulator's link, ${XDG_RUNTIME_DIR:-/tmp}/zorbel-sim, is
# offered in the configurator's port list: pick it, press "Open port" and try
# every command without hardware. The simulated device keeps its memory in
# the build folder between runs; it stops when the configurator exits.
# Arguments go to the configurator (e.g. --screenshots FOLDER).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
scripts/build.sh --programs

coproc SIM { exec "$build_dir/tools/zorbel-sim/zorbel-sim" --eeprom "$build_dir/zorbel-sim.eeprom"; }
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
# The simulator's first line is its terminal; it names its link on its own
# standard error, which this script leaves alone so the two lines never mix.
read -r -t 10 _terminal <&"${SIM[0]}"
# Its link is preselected in the port box.
"$build_dir/src/app/zorbel-configurator" --port "${XDG_RUNTIME_DIR:-/tmp}/zorbel-sim" "$@"
