#!/usr/bin/env bash
# Builds everything and runs every test through CTest (widget tests offscreen).
# Then builds the printer-logic and print-engine tests again with AddressSanitizer and runs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}

"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"

export QT_QPA_PLATFORM=offscreen
status=0
(cd "$build" && ctest --output-on-failure -j 2 --timeout 300) || status=$?

if [ "${NOVARI_SKIP_ASAN:-0}" != 1 ]; then
  asan="$root/build-asan"
  NOVARI_BUILD_DIR="$asan" "$root/scripts/build.sh" -DNOVARI_SANITIZE=ON
  (cd "$asan" && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j 2 --timeout 300 \
     -L sanitize) || status=$?
fi
exit $status
