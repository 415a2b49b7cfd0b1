#!/usr/bin/env bash
# Makes the Wine prefix that WINEPREFIX names, or brings it up to date, and gives it the
# face that Windows' dialog font ("MS Shell Dlg") stands for, Tahoma, as every Windows
# has it. A prefix has no Tahoma of its own, and without it the program's text box
# draws no text at all. Wine's own Tahoma comes with Debian's fonts-wine.
#
#   wine-prefix.sh WINE
set -euo pipefail
wine=$1
: "${WINEPREFIX:?names the prefix}"
"$wine" wineboot --init >/dev/null 2>&1
fonts=$WINEPREFIX/drive_c/windows/Fonts
for face in tahoma tahomabd; do
  [ -e "/usr/share/wine/fonts/$face.ttf" ] || { echo "missing /usr/share/wine/fonts/$face.ttf (fonts-wine)" >&2; exit 1; }
  cp -u "/usr/share/wine/fonts/$face.ttf" "$fonts/"
done
# The prefix is made once its server has written it out and ended: a copy taken while the
# server still holds changes lacks them.
"$(dirname "$wine")/wineserver" -w
