#!/usr/bin/env bash
# Drives the built program under Xvfb with real key presses and mouse clicks through
# one whole edit: disclaimer, open a file, edit a line, commit, save and exit. Then
# checks the settings file and the prefs file on disk byte for byte.
#
#   edit_road.sh [--installed] PROGRAM SAMPLE_DRIVE_C [SCREENSHOT_FOLDER]
#
# --installed: PROGRAM runs where it is installed, as a user who cannot write its folder
# (nobody, when run as root) with a home of its own; the sample is drive g: of that home's
# Wine prefix, typed at the drive prompt, and the settings file lands in ~/.config.
set -euo pipefail

installed=false
[ "${1:-}" = --installed ] && { installed=true; shift; }
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # it runs from /
sample=$2
shots=${3:-}

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/program.log" ] && sed 's/^/program: /' "$work/program.log" >&2
  shot failure
  exit 1
}

shot() {
  [ -n "$shots" ] || return 0
  command -v import >/dev/null && import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null || true
}

drive=$work/drive
mkdir -p "$drive"
cp -r "$sample/." "$drive/"
run_as=(env)
if $installed; then
  home=$work/home
  letter=g
  mkdir -p "$home/.wine/dosdevices"
  ln -s "$drive" "$home/.wine/dosdevices/g:"
  settings=$home/.config/norvik-prefs-editor/NorvikPrefs.ini
  if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$work"
    chown -R 65534:65534 "$home" "$drive"
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups env)
  fi
  run_as+=(-u XDG_CONFIG_HOME -u WINEPREFIX HOME="$home")
  "${run_as[@]}" test -w "$(dirname "$program")" && { echo "FAIL: the program's folder can be written" >&2; exit 1; }
else
  # A copy of the program with drive c: beside it; no Wine prefix or configuration folder.
  letter=c
  cp "$program" "$work/norvik-prefs-editor"
  program=$work/norvik-prefs-editor
  mkdir -p "$work/dosdevices"
  ln -s "$drive" "$work/dosdevices/c:"
  settings=$work/NorvikPrefs.ini
  run_as+=(WINEPREFIX="$work/no-wine-prefix" XDG_CONFIG_HOME="$work/no-config")
fi
unset QT_QPA_PLATFORM

for n in $(seq 91 160); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 100); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

(cd / && exec "${run_as[@]}" "$program") >"$work/program.log" 2>&1 &
app_pid=$!

# Waits for a top-level window whose title is exactly $1 and focuses it.
wait_window() {
  local id
  id=$(timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) ||
    fail "no window titled '$1'"
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  sleep 0.3
  echo "$id"
}

win=$(wait_window "Disclaimer")
shot disclaimer
xdotool key alt+y

if $installed; then
  wait_window "Drive letter for Norvik" >/dev/null
  shot drive-prompt
  xdotool type "$letter"
  xdotool key Return
fi

main=$(wait_window "Norvik2 - Prefs Editor")
shot main-window
ini=$(tr -d '\r' <"$settings" 2>/dev/null) || fail "no settings file at $settings"
[ "$ini" = "[NorvikFolder]"$'\n'"Norvik2=$letter:\\vandrel\\norvik2\\gamedata" ] || fail "settings file holds: $ini"

# The first entry is the first prefs file in the list's order.
first=client/audio/AudioPrefs.cs
target="$drive/vandrel/norvik2/gamedata/$first"
original=$(xxd -p "$target")

# Double-click the first entry (the list starts at the top left of the window).
xdotool mousemove --window "$main" 60 8 click 1
sleep 0.3
xdotool mousemove --window "$main" 60 8 click --repeat 2 --delay 60 1
sleep 1
title=$(xdotool getwindowname "$main")
[ "$title" = "Norvik2 - Prefs Editor ... AudioPrefs.cs" ] || fail "caption is '$title'"
shot file-open

# Click the first line, click into the text box, type a line without ";".
xdotool mousemove --window "$main" 60 8 click 1
sleep 0.3
xdotool mousemove --window "$main" 200 145 click 1
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 5 '$pref::Audio::masterVolume = 0.25'
shot typed
xdotool key alt+c
wait_window "Syntax Error" >/dev/null
shot syntax-error
xdotool key Return
sleep 0.5

main=$(wait_window "Norvik2 - Prefs Editor ... AudioPrefs.cs")
xdotool key alt+s
wait_window "Save Changes" >/dev/null
shot save-changes
xdotool key alt+y
wait_window "Success" >/dev/null
shot success
xdotool key Return

for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the save"
wait "$app_pid" || fail "the program ended with status $?"
app_pid=""

# Expected: the file's non-blank lines, the first replaced, each ended by CR LF.
expected=$(printf '%s' "$original" | xxd -r -p |
  awk 'BEGIN { RS = "\r\n|\r|\n"; ORS = "\r\n" }
       { t = $0; gsub(/^ +| +$/, "", t); if (t == "") next
         if (n++ == 0) print "$pref::Audio::masterVolume = 0.25;"; else print $0 }' | xxd -p)
actual=$(xxd -p "$target")
[ "$actual" = "$expected" ] || { diff <(echo "$expected" | xxd -r -p | xxd) <(xxd "$target") >&2; fail "file on disk differs"; }
echo "edit road passed: $(wc -c <"$target") bytes written to $first"
