#!/usr/bin/env bash
# Builds everything and runs every test through CTest (widget tests offscreen), in stages:
#   1. the release build (RelWithDebInfo, build/) and every test in it; the fault matrix
#      (label matrix: mostly waiting for printer time-outs) runs beside the stages after it;
#   2. the suites without windows (label sanitize) again in a build with AddressSanitizer and
#      UndefinedBehaviorSanitizer (build-asan/, -O1); NOVARI_SKIP_ASAN=1 leaves it out;
#   3. when clang++ is there, the libFuzzer targets (build-fuzz/), each for a few seconds over
#      its corpus in fuzz/corpus/; NOVARI_SKIP_FUZZ=1 leaves it out, NOVARI_FUZZ_SECONDS sets
#      the time per target (default 5).
# Every stage runs even when an earlier one failed; the exit status says whether all passed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}
jobs=$(nproc)

stage_start=$SECONDS
stage_done() {
  echo "== $1: $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"
stage_done "release build"

export QT_QPA_PLATFORM=offscreen
status=0
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300 -LE matrix) || status=$?
stage_done "release tests"

matrix_log="$build/fault-matrix.log"
(cd "$build" && ctest --output-on-failure --timeout 600 -L matrix >"$matrix_log" 2>&1) &
matrix_pid=$!

if [ "${NOVARI_SKIP_ASAN:-0}" != 1 ]; then
  asan="$root/build-asan"
  # -O1 (Debug alone has no optimisation) keeps the sanitized tests quick.
  [ -f "$asan/CMakeCache.txt" ] || cmake -S "$root" -B "$asan" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DNOVARI_SANITIZE=ON >/dev/null
  cmake --build "$asan" -j "$jobs" --target link_tests link_printer_tests print_tests \
    lib_tests simcore_test simprocess_test simprint_test novari-printer-sim portgate chanlink
  stage_done "sanitized build"
  (cd "$asan" &&
    ASAN_OPTIONS=detect_leaks=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs" --timeout 300 -L sanitize) || status=$?
  stage_done "sanitized tests"
fi

if [ "${NOVARI_SKIP_FUZZ:-0}" != 1 ] && command -v clang++ >/dev/null; then
  fuzz="$root/build-fuzz"
  [ -f "$fuzz/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNOVARI_FUZZ=ON -DNOVARI_SANITIZE=ON \
    -DNOVARI_TESTS=OFF >/dev/null
  if cmake --build "$fuzz" -j "$jobs" --target fuzz-all; then
    stage_done "fuzz build"
    # Each target starts from its seeds (which are also regression inputs) and keeps what
    # it finds in a scratch folder; a crash leaves its input in build-fuzz/crashes/.
    mkdir -p "$fuzz/crashes"
    for corpus in "$root"/fuzz/corpus/*/; do
      name=$(basename "$corpus")
      scratch="$fuzz/scratch/$name"
      mkdir -p "$scratch"
      log="$fuzz/scratch/$name.log"
      if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$fuzz/bin/fuzz-$name" -max_total_time="${NOVARI_FUZZ_SECONDS:-5}" \
        -artifact_prefix="$fuzz/crashes/$name-" "$scratch" "$corpus" >"$log" 2>&1; then
        echo "fuzz-$name: $(grep -E '^Done [0-9]+ runs' "$log" || echo done)"
      else
        tail -n 60 "$log"
        echo "fuzz-$name FAILED (log: $log)" >&2
        status=1
      fi
    done
  else
    status=1
  fi
  stage_done "fuzzing"
fi

wait "$matrix_pid" || status=1
cat "$matrix_log"
stage_done "fault matrix (beside the stages above)"
exit $status
