#!/usr/bin/env bash
# Makes the Wine prefix that WINEPREFIX names, or brings it up to date, as Wine makes it:
# with none of Wine's own faces in it. With --tahoma it also gets the two that the README's
# step copies in from Debian's fonts-wine: Tahoma, the face Windows' dialog font ("MS Shell
# Dlg") stands for, and Marlett, whose symbols Wine's own title bars draw their buttons
# with. Without it they are taken out again where an earlier run copied them.
#
#   wine-prefix.sh [--tahoma] WINE
set -euo pipefail
tahoma=""
[ "${1:-}" = --tahoma ] && { tahoma=yes; shift; }
wine=$1
: "${WINEPREFIX:?names the prefix}"
"$wine" wineboot --init >/dev/null 2>&1
fonts=$WINEPREFIX/drive_c/windows/Fonts
for face in tahoma tahomabd marlett; do
  if [ -z "$tahoma" ]; then rm -f "$fonts/$face.ttf"; continue; fi
  [ -e "/usr/share/wine/fonts/$face.ttf" ] || { echo "missing /usr/share/wine/fonts/$face.ttf (fonts-wine)" >&2; exit 1; }
  cp -u "/usr/share/wine/fonts/$face.ttf" "$fonts/"
done
# The prefix is made once its server has written it out and ended: a copy taken while the
# server still holds changes lacks them.
"$(dirname "$wine")/wineserver" -w
