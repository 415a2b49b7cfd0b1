#!/usr/bin/env bash
# Makes the Wine prefix that WINEPREFIX names, or brings it up to date, and gives it the
# faces every Windows has: Tahoma, which Windows' dialog font ("MS Shell Dlg") stands for,
# and Marlett, whose symbols Wine's own title bars draw their buttons with. A prefix has
# neither of its own: without Tahoma the program's text falls back to whatever face the
# machine offers. Wine's own faces come with Debian's fonts-wine.
#
#   wine-prefix.sh WINE
set -euo pipefail
wine=$1
: "${WINEPREFIX:?names the prefix}"
"$wine" wineboot --init >/dev/null 2>&1
fonts=$WINEPREFIX/drive_c/windows/Fonts
for face in tahoma tahomabd marlett; do
  [ -e "/usr/share/wine/fonts/$face.ttf" ] || { echo "missing /usr/share/wine/fonts/$face.ttf (fonts-wine)" >&2; exit 1; }
  cp -u "/usr/share/wine/fonts/$face.ttf" "$fonts/"
done
# The prefix is made once its server has written it out and ended: a copy taken while the
# server still holds changes lacks them.
"$(dirname "$wine")/wineserver" -w
