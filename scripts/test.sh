#!/usr/bin/env bash
# Builds the editor and runs every test: the unit and widget tests headless, and the
# end-to-end test that drives the built program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}" xvfb xdotool x11-utils
cmake --preset default >/dev/null
cmake --build build -j"$(nproc)"
ctest --preset default -j"$(nproc)"
