#!/usr/bin/env bash
# Builds the editor and runs every test, in three stages:
#   1. the unit and widget tests headless, and the end-to-end test that drives the built
#      program under Xvfb (build/);
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-sanitize/);
#   3. the fuzz targets, FUZZ_SECONDS each (default 30), built with clang (build-fuzz/).
# Every stage runs even when an earlier one failed; the last line sums them up.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" || exit 1
jobs=$(nproc)
failed=()

stage() {
  local name=$1
  shift
  echo "=== $name"
  "$@" || failed+=("$name")
}

tests_in() {
  local preset=$1
  cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" -j"$jobs" &&
    ctest --preset "$preset" -j"$jobs"
}

fuzz_targets() {
  cmake --preset fuzz >/dev/null &&
    cmake --build --preset fuzz -j"$jobs" &&
    fuzz/run.sh "${FUZZ_SECONDS:-30}" build-fuzz
}

stage "tests" tests_in default
stage "sanitizer tests" tests_in sanitize
stage "fuzz" fuzz_targets

[ ${#failed[@]} -eq 0 ] || echo "failed stages: ${failed[*]}"
echo "stages: $((3 - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
