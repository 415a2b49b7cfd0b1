#!/usr/bin/env bash
# Builds the editor and runs every test, in six stages:
#   0. Qt for Windows, built from Debian's source into a cache outside the clone when the
#      cache lacks it (scripts/qt-windows.sh; only a fresh machine pays for it);
#   1. the unit and widget tests headless, the end-to-end test that drives the built
#      program under Xvfb, and the same for Windows: the editor, its widget tests, the file
#      services' tests and the fuzz corpus replays cross-built with MinGW-w64 and run
#      under Wine, the end-to-end test driving the Windows program (build/);
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-sanitize/);
#   3. the fuzz targets, FUZZ_SECONDS each (default 30), built with clang (build-fuzz/);
#   4. the installed copy: installed into build/stage, its menu entry and metadata
#      validated, the Debian package built and listed, and the end-to-end test run once
#      against the staged program, from a folder it cannot write;
#   5. the Windows download: the zip made, listed, unpacked, and the end-to-end test run
#      under Wine against the unpacked copy.
# Every stage runs even when an earlier one failed; the last line sums them up.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${INSTALL_CHECK_PACKAGES[@]}" \
  "${WINDOWS_TEST_PACKAGES[@]}" || exit 1
jobs=$(nproc)
failed=()
stages=0

stage() {
  local name=$1
  shift
  echo "=== $name"
  stages=$((stages + 1))
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

# Staged as the Debian package installs it (under /usr). The e2e test's user must not be
# able to write the program's folder, also when this script runs as that folder's owner;
# the write bit comes back afterwards, however the test ends, so build/ stays removable.
installed_copy() {
  local stage=$PWD/build/stage
  if [ -d "$stage" ]; then chmod -R u+w "$stage" && rm -rf "$stage"; fi
  rm -f build/norvik-prefs-editor_*.deb
  cmake --preset default >/dev/null &&
    cmake --build --preset default -j"$jobs" &&
    DESTDIR=$stage cmake --install build --prefix /usr &&
    echo "--- desktop-file-validate" &&
    desktop-file-validate "$stage"/usr/share/applications/*.desktop && echo "valid" &&
    echo "--- appstreamcli validate" &&
    appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml &&
    echo "--- Debian package" &&
    (cd build && cpack -G DEB) &&
    dpkg-deb --field build/norvik-prefs-editor_*.deb Package Version Depends &&
    dpkg-deb -c build/norvik-prefs-editor_*.deb &&
    echo "--- lintian (errors and warnings fail; infos shown)" &&
    lintian --fail-on error,warning --display-info build/norvik-prefs-editor_*.deb && echo "no errors or warnings" &&
    echo "--- end-to-end test of the installed copy" &&
    (trap 'chmod u+w "$stage/usr/bin"' EXIT
     chmod a-w "$stage/usr/bin" &&
       tests/e2e/edit_road.sh --installed "$stage/usr/bin/norvik-prefs-editor" examples/drive_c)
}

# The Windows download, as a player unpacks it. Needs stage 1's Windows build.
windows_download() {
  local unpacked=$PWD/build/windows/unpacked
  rm -rf "$unpacked" build/windows/norvik-prefs-editor-*.zip
  (cd build/windows && cpack -G ZIP) &&
    zip=$(ls "$PWD"/build/windows/norvik-prefs-editor-*-windows-x64.zip) &&
    cmake -E tar tf "$zip" &&
    mkdir -p "$unpacked" && (cd "$unpacked" && cmake -E tar xf "$zip") &&
    echo "--- end-to-end test of the unpacked download" &&
    WINEPATH="" WINEPREFIX=$PWD/build/wine-prefix \
      tests/e2e/edit_road.sh --wine "$unpacked"/*/norvik-prefs-editor.exe examples/drive_c
}

stage "Qt for Windows" bash scripts/qt-windows.sh
stage "tests" tests_in default
stage "sanitizer tests" tests_in sanitize
stage "fuzz" fuzz_targets
stage "installed copy" installed_copy
stage "Windows download" windows_download

[ ${#failed[@]} -eq 0 ] || echo "failed stages: ${failed[*]}"
echo "stages: $((stages - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
