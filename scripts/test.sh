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

# The tests without windows: printer logic, link libraries, virtual printer and print engine.
sanitized_targets="link_tests print_tests lib_tests simcore_test simprocess_test simprint_test"
if [ "${NOVARI_SKIP_ASAN:-0}" != 1 ]; then
  asan="$root/build-asan"
  [ -f "$asan/CMakeCache.txt" ] || cmake -S "$root" -B "$asan" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug -DNOVARI_SANITIZE=ON >/dev/null
  cmake --build "$asan" -j "$(nproc)" --target $sanitized_targets
  (cd "$asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j 2 --timeout 300 \
     -L sanitize) || status=$?
fi
exit $status
