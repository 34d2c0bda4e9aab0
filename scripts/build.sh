#!/usr/bin/env bash
# Configures and builds into build/ (or $NOVARI_BUILD_DIR). Extra arguments go to cmake;
# NOVARI_TARGETS names the targets to build (default: everything).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}
generator=()
[ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
# Line tables only (-g1): enough for a backtrace, and g++ compiles about a third faster than
# with full debug information. scripts/test.sh's sanitized build (build-asan/) has it all.
release_flags="-O2 -g1 -DNDEBUG"
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="$release_flags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$release_flags" \
  "$@" >/dev/null
targets=()
for t in ${NOVARI_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
