#!/usr/bin/env bash
# scripts/run.sh in a copy of the scripts with the built drive lister beside it, without a
# display, so it stops before starting the editor: the drives it finds and the sample's
# link, with a home (named in Cyrillic), a configuration folder and a Wine prefix of the
# test's own.
#   run_test.sh NORVIK_DRIVES SOURCE_FOLDER
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo/build" "$work/bin" "$work/дмитрий/.wine/dosdevices/c:"
cp -r "$2/scripts" "$2/examples" "$work/repo/"
cp "$1" "$work/repo/build/"
printf '#!/bin/sh\n' >"$work/bin/cmake" && chmod +x "$work/bin/cmake"  # the build is the copy
export PATH=$work/bin:$PATH HOME=$work/дмитрий XDG_CONFIG_HOME=$work/config WINEPREFIX=$work/дмитрий/.wine
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
sample=$work/repo/build/dosdevices/c: config_d=$work/config/norvik-prefs-editor/dosdevices/d:
run() {
  echo "--- run.sh $*"
  out=$(bash "$work/repo/scripts/run.sh" "$@" 2>&1) || true
  echo "$out"
}
expect() { [[ $out == *"$1"* ]] || { echo "FAIL: expected '$1'"; exit 1; }; }
game() { mkdir -p "$1/Vandrel/norvik2/gamedata" && touch "$1/Vandrel/norvik2/gamedata/NORVIK2.EXE"; }

# Both tell how they are used: run.sh asked to, the drive lister given nothing to look for.
run --help; expect "configuration folder"; out=$("$1" 2>&1) || [ $? = 2 ]; expect "usage: norvik-drives RELATIVE_PATH"
# Guards against the sample's own link counting as a game (it went again on the next run).
run; run; expect "using the sample"; [ -d "$sample" ]
# Guards against the sample hiding a game on d: in the configuration folder.
game "$config_d"; run; expect "no longer linked"; expect "finds the game on drive d:"; [ ! -e "$sample" ]
run --drive d "$work/repo/examples/drive_c"; expect "the editor finds it at $config_d"
rm -r "$config_d"; run; expect "using the sample"
# Guards against the sample hiding the game on the Wine prefix's c:.
game "$WINEPREFIX/dosdevices/c:"; run; expect "finds the game on drive c:"; [ ! -e "$sample" ]
expect "needs a graphical desktop"
