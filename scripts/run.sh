#!/usr/bin/env bash
# Builds the editor, sets up its drives and starts it. See usage() below.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: bash scripts/run.sh [--drive LETTER FOLDER]
Builds the editor and starts it. Drive x: is the first folder of these, as the editor
looks them up: build/dosdevices/x:, then norvik-prefs-editor/dosdevices/x: in your
configuration folder ($XDG_CONFIG_HOME, else ~/.config), then
dosdevices/x: in the Wine prefix ($WINEPREFIX, else ~/.wine). The editor finds the game
on c: to f: by itself; for another letter it asks for the drive letter at every start:
type that letter.
  --drive LETTER FOLDER  first links FOLDER as drive LETTER (build/dosdevices/LETTER:).
      FOLDER is a drive root holding vandrel/norvik2/gamedata/norvik2.exe, or the game
      data folder itself holding norvik2.exe. Refused when it holds no game or the
      editor already has that drive. The link stays; rm build/dosdevices/LETTER: undoes it.
While no drive holds the game, a copy of examples/drive_c (made once at
build/sample-drive-c, your edits kept) is drive c:; that link goes again once the game
is on a drive. Your own entries in build/dosdevices are never replaced or removed.
Without a display it sets up the drives, says where the game is, and stops.
EOF
}

die() {
  echo "run.sh: $*" >&2
  exit 1
}

drive_letter=""
drive_folder=""
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --drive)
      [ $# -ge 3 ] || die "--drive needs a drive letter and a folder, for example: --drive g /path/to/folder"
      [[ $2 =~ ^[A-Za-z]:?$ ]] || die "'$2' is not a drive letter (one letter a to z)"
      drive_letter=$(tr 'A-Z' 'a-z' <<<"${2:0:1}")
      [ -d "$3" ] || die "'$3' is not a folder"
      # Made absolute here, before the working directory changes below.
      drive_folder=$(cd "$3" && pwd)
      shift 3
      ;;
    *) die "unknown option '$1' (see --help)" ;;
  esac
done

cd "$(dirname "$0")/.."
. scripts/deps.sh

devices=build/dosdevices
sample=build/sample-drive-c
game_path=vandrel/norvik2/gamedata/norvik2.exe

is_sample_link() {
  [ -L "$1" ] && [ "$(realpath -m "$1")" = "$(realpath -m "$sample")" ]
}

# Each drive's root as the editor finds it, with the sample's link left out: lines of the
# letter, "game" or "folder", and the root. build/norvik-drives lists the places the
# editor tries, from the editor's own code, and which of them hold the game.
drives() {
  local letter state place found=""
  while read -r letter state place; do
    [ "$state" != none ] && [[ $found != *$letter* ]] && ! is_sample_link "$place" || continue
    found+=$letter
    echo "$letter $state $place"
  done < <(build/norvik-drives "${game_path//\//\\}")
}

# The place of drive x: (the sample's link left out), or nothing.
drive_place() {
  local letter state place
  while read -r letter state place; do
    [ "$letter" != "$1" ] || echo "$place"
  done < <(drives)
}

# Whether FOLDER holds RELATIVE (slashes) as the editor's file test sees it.
holds_game() {
  [[ $(build/norvik-drives "${2//\//\\}" "$1") == "- game "* ]]
}

# The letters of the drives that hold the game, the sample link left out.
game_letters() {
  drives | awk '$2 == "game" { print $1 }'
}

# --drive: check everything first, so that a refusal changes nothing.
link_drive() {
  local letter=$1 folder=$2 link=$devices/$1: target tree="" place
  if holds_game "$folder" "$game_path"; then
    target=$folder
  elif holds_game "$folder" norvik2.exe; then
    # The editor wants x:\vandrel\norvik2\gamedata: a small tree gives the folder that path.
    tree=build/drive-trees/$letter
    target=$PWD/$tree
  else
    die "$folder holds no game: neither $game_path nor norvik2.exe is in it. Nothing changed."
  fi

  if [ -e "$link" ] || [ -L "$link" ]; then
    if [ "$(realpath -m "$link")" = "$(realpath -m "$target")" ] &&
      { [ -z "$tree" ] || [ "$(realpath -m "$tree/vandrel/norvik2/gamedata")" = "$(realpath -m "$folder")" ]; }; then
      echo "Drive $letter: is already linked to $folder."
      return 0
    fi
    is_sample_link "$link" ||
      die "drive $letter: is taken: $link is $(describe "$link"). Pick another letter, or remove $link first. Nothing changed."
  else
    place=$(drive_place "$letter")
    [ -z "$place" ] || die "drive $letter: is taken: the editor finds it at $place. Pick another letter. Nothing changed."
  fi

  mkdir -p "$devices"
  if [ -n "$tree" ]; then
    rm -rf "$tree"
    mkdir -p "$tree/vandrel/norvik2"
    ln -s "$folder" "$tree/vandrel/norvik2/gamedata"
    ln -sfn "../drive-trees/$letter" "$link"
  else
    ln -sfn "$folder" "$link"
  fi
  echo "Linked $folder as drive $letter: ($link)."
}

describe() {
  local game=$1/vandrel/norvik2/gamedata
  if [[ $(realpath -m "$1") == "$(realpath -m build/drive-trees)"/? ]] && [ -L "$game" ]; then
    echo "linked to $(readlink "$game")"
  elif [ -L "$1" ]; then
    echo "a link to $(readlink "$1")"
  else
    echo "a folder of yours"
  fi
}

# The sample is drive c: only while no other drive holds the game.
set_up_sample() {
  local link=$devices/c:
  if [ -n "$(game_letters)" ]; then
    if is_sample_link "$link"; then
      rm "$link"
      echo "Game found: the sample is no longer linked as drive c: (its copy stays at $sample)."
    fi
    return 0
  fi
  if [ -e "$link" ] || [ -L "$link" ]; then
    if ! is_sample_link "$link"; then
      echo "No game found on any drive, and $link is yours: the sample is not linked."
      return 0
    fi
  fi
  if [ ! -d "$sample" ]; then
    cp -r examples/drive_c "$sample"
    echo "Copied the sample game folder to $sample; your edits there are kept."
  fi
  if ! is_sample_link "$link" || [ ! -d "$link" ]; then
    mkdir -p "$devices"
    ln -sfn ../sample-drive-c "$link"
  fi
  echo "No game found on any drive: using the sample at $sample as drive c:."
}

install_missing_packages "${BUILD_PACKAGES[@]}"
cmake --preset default >/dev/null
cmake --build build --target norvik-prefs-editor norvik-drives -j"$(nproc)"

[ -z "$drive_letter" ] || link_drive "$drive_letter" "$drive_folder"
set_up_sample
letters=$(game_letters | tr -d '\n')
probed=$(tr -cd 'cdef' <<<"$letters")
if [ -n "$probed" ]; then
  echo "The editor finds the game on drive ${probed:0:1}: by itself."
elif [ -n "$letters" ]; then
  echo "The game is on drive ${letters:0:1}:. When the editor asks for the drive letter, type ${letters:0:1}."
fi

# Checked last, so that without a display the drives are still set up and reported.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "norvik-prefs-editor needs a graphical desktop: no display is set (DISPLAY is empty)." >&2
  exit 1
fi

exec build/norvik-prefs-editor
