#!/usr/bin/env bash
# Builds the editor and runs every test, in four stages:
#   1. the unit and widget tests headless, and the end-to-end test that drives the built
#      program under Xvfb (build/);
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-sanitize/);
#   3. the fuzz targets, FUZZ_SECONDS each (default 30), built with clang (build-fuzz/);
#   4. the file services' Windows backend: its tests and the fuzz corpus replays,
#      cross-built with MinGW-w64 and run under Wine in a throw-away prefix
#      (build-windows/).
# Every stage runs even when an earlier one failed; the last line sums them up.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}" || exit 1
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

# In a Wine prefix of its own, removed afterwards. Debian's wine64 keeps its programs in
# /usr/lib/wine, out of PATH.
windows_tests() {
  local wine=/usr/lib/wine/wine64 prefix status
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/norvik-wine-XXXXXX") || return 1
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  cmake --preset windows-cross >/dev/null &&
    cmake --build --preset windows-cross -j"$jobs" &&
    "$wine" wineboot --init >/dev/null 2>&1 &&
    ctest --preset windows-cross -j"$jobs"
  status=$?
  /usr/lib/wine/wineserver -k 2>/dev/null
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  rm -rf "$prefix"
  return $status
}

stage "tests" tests_in default
stage "sanitizer tests" tests_in sanitize
stage "fuzz" fuzz_targets
stage "windows tests under wine" windows_tests

[ ${#failed[@]} -eq 0 ] || echo "failed stages: ${failed[*]}"
echo "stages: $((4 - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
