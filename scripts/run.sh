#!/usr/bin/env bash
# Builds the editor and starts it. When no game install is found on drives c: to f:,
# the editor gets a copy of the sample game folder as drive c:.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}"
cmake --preset default >/dev/null
cmake --build build --target norvik-prefs-editor -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "norvik-prefs-editor needs a graphical desktop: no display is set (DISPLAY is empty)." >&2
  exit 1
fi

# Where the editor looks for drive x:, in order.
drive_roots() {
  local letter=$1
  echo "build/dosdevices/$letter:"
  echo "${WINEPREFIX:-$HOME/.wine}/dosdevices/$letter:"
}

game_found() {
  local letter root
  for letter in c d e f; do
    while read -r root; do
      [ -d "$root" ] || continue
      if [ -n "$(find -L "$root" -maxdepth 4 -ipath "$root/vandrel/norvik2/gamedata/norvik2.exe" -print -quit 2>/dev/null)" ]; then
        return 0
      fi
      break  # the first root that exists is the drive
    done < <(drive_roots "$letter")
  done
  return 1
}

if ! game_found; then
  echo "No game install found on c: to f:; using a copy of the sample game folder as drive c:."
  mkdir -p build/dosdevices
  rm -rf build/sample-drive-c
  cp -r examples/drive_c build/sample-drive-c
  ln -sfn "$PWD/build/sample-drive-c" "build/dosdevices/c:"
fi

exec build/norvik-prefs-editor
