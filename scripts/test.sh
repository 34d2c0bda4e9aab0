#!/usr/bin/env bash
# Builds everything and runs every test through CTest (window tests offscreen):
#   1. a build with AddressSanitizer and UndefinedBehaviorSanitizer (clang, build-asan/, without
#      optimisation, which keeps its compile quick) that also holds the libFuzzer targets:
#      every test but those that print, scan and read whole pages (label pixels), then each
#      fuzz target for a few seconds over its corpus in fuzz/corpus/
#      (as many at once as there are cores); the fault matrix (label matrix: mostly waiting
#      for printer time-outs) runs beside everything after this build;
#   2. the release build (RelWithDebInfo, build/), as scripts/run.sh and the package use it:
#      what the package ships, the tests of the installed layout and the package (label
#      shipped) and the page tests (label pixels). Building and running every test a second
#      time would not fit CI's time. It
#      compiles at a lower priority beside the sanitized tests, which spend much of their time
#      waiting for printers (and must hold on a busy machine anyway).
# NOVARI_SKIP_ASAN=1 leaves out the sanitized build: the release build then builds and runs
# every test, the fault matrix included. NOVARI_SKIP_FUZZ=1 leaves out the fuzzing;
# NOVARI_FUZZ_SECONDS sets the time per target (default 5). Every stage runs even when an
# earlier one failed; the exit status says whether all passed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NOVARI_BUILD_DIR:-$root/build}
asan="$root/build-asan"
jobs=$(nproc)
status=0

stage_start=$SECONDS
stage_done() {
  echo "== $1: $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

matrix_pid=
run_matrix_beside() { # build folder
  matrix_log="$1/fault-matrix.log"
  # Its shards side by side: they wait for the printer more than they compute.
  local shards
  shards=$(cd "$1" && ctest -N -L matrix | grep -c 'Test *#') || shards=1
  (cd "$1" && ctest -V -j "$shards" --timeout 900 -L matrix >"$matrix_log" 2>&1) &
  matrix_pid=$!
}

sanitized_stage() {
  [ -f "$asan/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$asan" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG="-O0 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g" \
    -DNOVARI_SANITIZE=ON -DNOVARI_FUZZ=ON >/dev/null
  if ! cmake --build "$asan" -j "$jobs"; then
    status=1
    return
  fi
  stage_done "sanitized build"
  run_matrix_beside "$asan"
  build_release_beside
  (cd "$asan" && ctest --output-on-failure -j "$jobs" --timeout 300 -LE 'matrix|pixels') ||
    status=$?
  stage_done "sanitized tests"
  [ "${NOVARI_SKIP_FUZZ:-0}" = 1 ] || fuzz_stage
}

# The tests that print, scan and read whole pages (label pixels) run in the release build: the
# sanitized build would spend most of CI's time in their pixel loops. The page reader's image
# entry point is fuzzed in the sanitized build.
pixel_tests="scan_tests scan_window_tests adjust_technician_tests"
release_pid=
release_log="$asan/release-build.log"
build_release_beside() {
  (NOVARI_TARGETS="$release_targets" nice -n 10 "$root/scripts/build.sh" >"$release_log" 2>&1) &
  release_pid=$!
}

# Each target starts from its seeds (which are also regression inputs) and keeps what it finds
# in a scratch folder; a crash leaves its input in build-asan/fuzz-crashes/. libFuzzer runs on
# one core, so as many targets run at once as there are cores.
fuzz_one() { # corpus folder
  local name scratch log
  name=$(basename "$1")
  scratch="$asan/fuzz-scratch/$name"
  log="$asan/fuzz-scratch/$name.log"
  mkdir -p "$scratch"
  "$asan/bin/fuzz-$name" -max_total_time="${NOVARI_FUZZ_SECONDS:-5}" \
    -artifact_prefix="$asan/fuzz-crashes/$name-" "$scratch" "$1" >"$log" 2>&1
}

fuzz_stage() {
  mkdir -p "$asan/fuzz-crashes"
  local corpora=("$root"/fuzz/corpus/*/) i corpus name log
  local -A pid_of=()
  for ((i = 0; i < ${#corpora[@]}; i += jobs)); do
    for corpus in "${corpora[@]:i:jobs}"; do
      fuzz_one "$corpus" &
      pid_of[$corpus]=$!
    done
    for corpus in "${corpora[@]:i:jobs}"; do
      name=$(basename "$corpus")
      log="$asan/fuzz-scratch/$name.log"
      if wait "${pid_of[$corpus]}"; then
        echo "fuzz-$name: $(grep -E '^Done [0-9]+ runs' "$log" || echo done)"
      else
        tail -n 60 "$log"
        echo "fuzz-$name FAILED (log: $log)" >&2
        status=1
      fi
    done
  done
  stage_done "fuzzing"
}

"$root/scripts/setup-debian.sh"
# Without the sanitized build, the release build runs every test.
release_targets=
release_tests=(-LE matrix)
if [ "${NOVARI_SKIP_ASAN:-0}" != 1 ]; then
  release_targets="shipped $pixel_tests"
  release_tests=(-L 'shipped|pixels')
  sanitized_stage
fi
release_built() {
  if [ -z "$release_pid" ]; then
    NOVARI_TARGETS="$release_targets" "$root/scripts/build.sh"
  elif wait "$release_pid"; then
    tail -n 1 "$release_log"
  else
    tail -n 60 "$release_log"
    return 1
  fi
}
if release_built; then
  stage_done "release build${release_pid:+ (the rest of it, beside the stages above)}"
  [ -n "$matrix_pid" ] || run_matrix_beside "$build"
  (cd "$build" && ASAN_OPTIONS= UBSAN_OPTIONS= \
    ctest --output-on-failure -j "$jobs" --timeout 300 "${release_tests[@]}") || status=$?
  stage_done "release tests"
else
  status=1
fi

if [ -n "$matrix_pid" ]; then
  if wait "$matrix_pid"; then
    # The table of each shard (item x fault -> outcome, seconds), without the rest of the
    # tests' output: CTest marks every line with the number of the test it came from.
    for test in $(sed -n 's/^\([0-9]*\): .*/\1/p' "$matrix_log" | sort -un); do
      sed -n "s/^$test: //p" "$matrix_log" | sed -n '/^item \\ fault/,/ cells in /p;/^note: /p'
    done
    grep -E 'tests passed|tests failed' "$matrix_log"
  else
    status=1
    tail -n 300 "$matrix_log"
  fi
  stage_done "fault matrix (beside the stages above)"
fi
exit $status
