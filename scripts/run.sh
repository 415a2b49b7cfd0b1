#!/usr/bin/env bash
# Builds the editor, sets up its drives and starts it. See usage() below.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: bash scripts/run.sh [--drive LETTER FOLDER]
Builds the editor and starts it. Drive x: is build/dosdevices/x:, else dosdevices/x: in
the Wine prefix. The editor finds the game on c: to f: by itself; for another letter it
asks for the drive letter at every start: type that letter.
  --drive LETTER FOLDER  first links FOLDER as drive LETTER (build/dosdevices/LETTER:).
      FOLDER is a drive root holding vandrel/norvik2/gamedata/norvik2.exe, or the game
      data folder itself holding norvik2.exe. Refused when it holds no game or the
      editor already has that drive. The link stays; rm build/dosdevices/LETTER: undoes it.
While no drive holds the game, a copy of examples/drive_c (made once at
build/sample-drive-c, your edits kept) is drive c:; that link goes again once the game
is on another drive. Your own entries in build/dosdevices are never replaced or removed.
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

# The Wine prefix's drive folder of x:, when the editor uses one (never a relative prefix).
wine_root() {
  local prefix=${WINEPREFIX:-}
  if [ -z "$prefix" ] && [ -n "${HOME:-}" ]; then prefix=$HOME/.wine; fi
  if [[ $prefix == /* ]]; then echo "${prefix%/}/dosdevices/$1:"; fi
}

is_sample_link() {
  [ -L "$1" ] && [ "$(realpath -m "$1")" = "$(realpath -m "$sample")" ]
}

# The root of drive x: as the editor finds it: the first of its two places that is a
# folder. With --no-sample, the sample link counts as absent.
drive_root() {
  local letter=$1 root
  root=$devices/$letter:
  if [ -d "$root" ] && ! { [ "${2:-}" = --no-sample ] && is_sample_link "$root"; }; then
    echo "$root"
    return 0
  fi
  root=$(wine_root "$letter")
  [ -n "$root" ] && [ -d "$root" ] && echo "$root"
  return 0
}

# Prints FOLDER/RELATIVE as the editor looks it up: each part exactly, else the first
# entry that equals it without regard to case. Fails when a part is missing.
find_nocase() {
  local path=$1 part match
  local -a parts
  IFS=/ read -ra parts <<<"$2"
  for part in "${parts[@]}"; do
    if [ -e "$path/$part" ] || [ -L "$path/$part" ]; then
      path=$path/$part
      continue
    fi
    match=$(find "$path/" -mindepth 1 -maxdepth 1 -iname "$part" -printf '%f\n' 2>/dev/null |
      LC_ALL=C sort | head -n 1) || true
    [ -n "$match" ] || return 1
    path=$path/$match
  done
  echo "$path"
}

holds_game() {
  local exe
  exe=$(find_nocase "$1" "$2") && [ -f "$exe" ]
}

# The letters of the drives that hold the game, the sample link left out.
game_letters() {
  local letter root
  for letter in {a..z}; do
    root=$(drive_root "$letter" --no-sample)
    [ -n "$root" ] && holds_game "$root" "$game_path" && echo "$letter"
  done
  return 0
}

# --drive: check everything first, so that a refusal changes nothing.
link_drive() {
  local letter=$1 folder=$2 link=$devices/$1: target tree="" root
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
    root=$(wine_root "$letter")
    if [ -n "$root" ] && [ -d "$root" ]; then
      die "drive $letter: is taken: the editor finds it at $root. Pick another letter. Nothing changed."
    fi
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

[ -z "$drive_letter" ] || link_drive "$drive_letter" "$drive_folder"

install_missing_packages "${BUILD_PACKAGES[@]}"
cmake --preset default >/dev/null
cmake --build build --target norvik-prefs-editor -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "norvik-prefs-editor needs a graphical desktop: no display is set (DISPLAY is empty)." >&2
  exit 1
fi

set_up_sample
letters=$(game_letters | tr -d '\n')
probed=$(tr -cd 'cdef' <<<"$letters")
if [ -n "$probed" ]; then
  echo "The editor finds the game on drive ${probed:0:1}: by itself."
elif [ -n "$letters" ]; then
  echo "The game is on drive ${letters:0:1}:. When the editor asks for the drive letter, type ${letters:0:1}."
fi

exec build/norvik-prefs-editor
