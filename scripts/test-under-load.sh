#!/usr/bin/env bash
# Runs the tests with the processor kept busy beside them: stress-ng keeps twice as many
# workers as there are cores running while CTest runs, as on a CI machine shared with other
# builds. Builds first (the release build of scripts/build.sh, every test), then runs CTest
# with the arguments given, for example:
#   scripts/test-under-load.sh                    # every test but the fault matrix
#   scripts/test-under-load.sh -R 'sim|technician' # the virtual printer's and technician tests
#   scripts/test-under-load.sh -L matrix           # the fault matrix alone
# NOVARI_LOAD_WORKERS sets the number of stress-ng workers (default: twice the cores).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}
jobs=$(nproc)
workers=${NOVARI_LOAD_WORKERS:-$((2 * jobs))}

"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"

export QT_QPA_PLATFORM=offscreen
stress-ng --cpu "$workers" --timeout 0 --quiet &
load_pid=$!
trap 'kill "$load_pid" 2>/dev/null; wait "$load_pid" 2>/dev/null || true' EXIT
echo "== stress-ng: $workers cpu workers beside the tests"

arguments=("$@")
[ ${#arguments[@]} -gt 0 ] || arguments=(-LE matrix)
start=$SECONDS
status=0
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 600 "${arguments[@]}") || status=$?
echo "== tests under load: $((SECONDS - start)) s, load average $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
