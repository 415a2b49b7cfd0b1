#!/usr/bin/env bash
# Drives the built program under Xvfb with real key presses and mouse clicks through
# one whole edit, under a window manager: disclaimer, open a file, edit a line, commit, save
# and exit. On the way it checks the window from outside against the control table (each
# control's rectangle, at 15 twips a pixel, shows its colours; the buttons and the credit
# corner answer clicks at their places), that every window is centred and of fixed size
# as the window manager frames it (and that the window, once moved, stays), that the texts and titles read whole on the screen,
# that Escape answers no Yes/No question, and that a character the code page lacks is
# saved as it was shown; then that a file another program rewrote while it was open is
# not written over unasked. It checks the settings file and the prefs file on disk byte
# for byte.
#
#   edit_road.sh [--installed|--wine [--tahoma]|--wine-installed] [--russian] [--scale PERCENT] [--keys] PROGRAM SAMPLE_DRIVE_C [SCREENSHOT_FOLDER]
#
# --keys: the edit is made with the keyboard alone (Space, arrows, Tab, Enter, F2 and the
# buttons' access keys); the mouse is never moved.
# --russian: a Russian user's (LANG=ru_RU.UTF-8, the locale made for the C library, so code
# page 1251), whose home (--installed) is named "дмитрий" and who unpacks the program
# (--wine) into "Pobrane Michał"; the file opened starts with a line in Cyrillic, which the
# text box must hand to the clipboard as it reads, and the line typed is Cyrillic too.
# --scale: the desktop scales by PERCENT (150: 144 dots per inch), the window with it.
# --installed: PROGRAM runs where it is installed, as a user who cannot write its folder
# (nobody, when run as root) with a home of its own; the sample is drive g: of that home's
# Wine prefix, typed at the drive prompt, and the settings file lands in ~/.config.
# --wine: PROGRAM is the Windows program, run under Wine from a copy of its folder (its
# DLLs and plugin folders, where it has them) in a folder with a blank in its name; the
# sample is drive c: of a Wine prefix of the test's own (a copy of $WINEPREFIX, where set),
# whose Wine server knows no other display, with none of Wine's own faces in it; --tahoma:
# with Wine's Tahoma and Marlett copied in, as the README shows.
# --wine-installed: PROGRAM is the Windows program as the setup program installed it into
# $WINEPREFIX, run by the prefix's owner, who must not be able to write its folder; the
# sample is drive c: of that prefix, and the settings file lands in %APPDATA%.
set -Eeuo pipefail
. "$(dirname "$0")/../../scripts/xvfb.sh"

mode=${1:-}
case $mode in --installed | --wine | --wine-installed) shift ;; *) mode="" ;; esac
[[ $mode == --wine* ]] && on_wine=yes || on_wine=""
faces=() russian="" scale=100 by_keys=""
[ "${1:-}" = --tahoma ] && { faces=(--tahoma); shift; }
[ "${1:-}" = --russian ] && { russian=yes; shift; }
[ "${1:-}" = --scale ] && { scale=$2; shift 2; }
[ "${1:-}" = --keys ] && { by_keys=yes; shift; }
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # it runs from /
sample=$2
shots=${3:-}

wine=$(PATH=$PATH:/usr/lib/wine command -v wine64 wine | head -n 1) || wine=""
tools=(Xvfb openbox xmessage xdotool xmodmap xprop xwininfo import convert tesseract xxd ${russian:+xclip localedef})
[ -n "$on_wine" ] && tools+=("${wine:-wine64}")
for tool in "${tools[@]}"; do command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }; done

work=$(mktemp -d)
xvfb_pid="" app_pid=""
drive=$work/drive letter=c run_as=(env)
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  if [ -n "$on_wine" ]; then "${run_as[@]}" "$(dirname "$wine")/wineserver" -k 2>/dev/null; "${run_as[@]}" "$(dirname "$wine")/wineserver" -w; fi || true
  [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }  # a process that just ended may still be writing
}
trap cleanup EXIT
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR

fail() {
  echo "FAIL: $*" >&2
  [ -s "$work/program.log" ] && sed 's/^/program: /' "$work/program.log" >&2
  shot failure
  exit 1
}

shot() { [ -z "$shots" ] || import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null || true; }

mkdir "$work/bin" && mkdir -m 777 "$work/opened"
[ -n "$on_wine" ] || { mkdir -p "$drive" && cp -r "$sample/." "$drive/"; }
# The desktop's opener, as the credit corner calls it: it notes the address it got.
printf '#!/bin/sh\nprintf "%%s" "$1" > "%s/opened/address"\n' "$work" >"$work/bin/xdg-open"
chmod 755 "$work/bin" "$work/bin/xdg-open"
if [ "$mode" = --wine ]; then
  [ -d "${WINEPREFIX:-}" ] && cp -a "$WINEPREFIX" "$work/wine-prefix"
  export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  drive=$WINEPREFIX/drive_c
  folder="$work/Norvik Prefs"
  [ -z "$russian" ] || folder="$work/Pobrane Michał"
  mkdir "$folder"
  cp "$program" "$folder/"
  for extra in "$(dirname "$program")"/*.dll "$(dirname "$program")"/{platforms,styles,imageformats}; do
    [ -e "$extra" ] && cp -r "$extra" "$folder/"
  done
  program=$folder/$(basename "$program")
  settings=$folder/NorvikPrefs.ini
elif [ "$mode" = --wine-installed ]; then
  : "${WINEPREFIX:?names the prefix the program is installed in}"
  export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  drive=$WINEPREFIX/drive_c owner=$(stat -c %u:%g "$WINEPREFIX")
  [ "$(id -u)" -ne 0 ] || { chmod 755 "$work" && run_as=(setpriv --reuid="${owner%:*}" --regid="${owner#*:}" --clear-groups env); }
  run_as+=(HOME="$(dirname "$WINEPREFIX")")
  "${run_as[@]}" test -w "$(dirname "$program")" && { echo "FAIL: the program's folder can be written" >&2; exit 1; }
  settings=$drive/users/$("${run_as[@]}" id -un)/AppData/Roaming/norvik-prefs-editor/NorvikPrefs.ini
elif [ "$mode" = --installed ]; then
  home=$work/home
  [ -z "$russian" ] || home=$work/дмитрий
  letter=g
  mkdir -p "$home/.wine/dosdevices"
  ln -s "$drive" "$home/.wine/dosdevices/g:"
  settings=$home/.config/norvik-prefs-editor/NorvikPrefs.ini
  [ "$(id -u)" -ne 0 ] || { chmod 755 "$work" && chown -R 65534:65534 "$home" "$drive" &&
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups env); }
  run_as+=(-u XDG_CONFIG_HOME -u WINEPREFIX HOME="$home")
  "${run_as[@]}" test -w "$(dirname "$program")" && { echo "FAIL: the program's folder can be written" >&2; exit 1; }
else
  # A copy of the program with drive c: beside it; no Wine prefix or configuration folder.
  cp "$program" "$work/norvik-prefs-editor"
  program=$work/norvik-prefs-editor
  mkdir -p "$work/dosdevices"
  ln -s "$drive" "$work/dosdevices/c:"
  settings=$work/NorvikPrefs.ini
  run_as+=(WINEPREFIX="$work/no-wine-prefix" XDG_CONFIG_HOME="$work/no-config")
fi
run_as+=(PATH="$work/bin:$PATH" ${on_wine:+"$wine"})
unset QT_QPA_PLATFORM
export QT_SCALE_FACTOR=$((scale / 100)).$((scale % 100))

start_xvfb "$work/display"
start_openbox
# xdotool types a character missing from the keymap through a key it binds and unbinds
# at once, and the program can read the key after it was unbound. Bind a spare key for
# good before the program reads the keymap, so that Ω is an ordinary key press.
spares=($(xmodmap -pke | awk 'NF == 3 { print $2 }' | head -n 5))
xmodmap -e "keycode ${spares[0]} = Greek_OMEGA"
# The same for the Cyrillic letters typed.
i=1 && for k in pe io te er; do [ -z "$russian" ] || xmodmap -e "keycode ${spares[i++]} = Cyrillic_$k Cyrillic_${k^^}"; done
if [ -n "$on_wine" ]; then
  if [ "$mode" = --wine ]; then "$(dirname "$0")/../../scripts/wine-prefix.sh" "${faces[@]}" "$wine"; fi
  "${run_as[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale / 100)) /f >/dev/null 2>&1
  cp -r "$sample/." "$drive/"
  if [ "$mode" = --wine-installed ]; then chown -R --from=0:0 "$owner" "$drive"; fi
fi

# The first prefs file, the one opened, starts with a line in Cyrillic in Windows-1251.
first=client/audio/AudioPrefs.cs
target="$drive/vandrel/norvik2/gamedata/$first"
typed='$pref::Audio::masterVolume = 0.25 ' saved='$pref::Audio::masterVolume = 0.25 ?;' locale=()
if [ -n "$russian" ]; then
  { printf '$pref::Player::name = "\xc4\xec\xe8\xf2\xf0\xe8\xe9";\r\n'; cat "$target"; } >"$work/first" && cat "$work/first" >"$target"  # in place: owner and mode stay
  typed='$pref::Player::name = "Пётр" ' saved=$'$pref::Player::name = "\xcf\xb8\xf2\xf0" ?;'
  mkdir -m 755 "$work/locales" && { localedef -i ru_RU -f UTF-8 "$work/locales/ru_RU.UTF-8" >/dev/null 2>&1 || [ -e "$work/locales/ru_RU.UTF-8" ]; }
  locale=(LOCPATH="$work/locales" LANG=ru_RU.UTF-8 LC_ALL= LC_CTYPE=)
fi

(cd / && exec env "${locale[@]}" "${run_as[@]}" "$program") >"$work/program.log" 2>&1 &
app_pid=$!

# Waits for a top-level window whose title is exactly $1 and focuses it.
wait_window() {
  local id=""
  # Asked again rather than waited for: a window that goes while xdotool looks stops it.
  # A busy machine may take a while to start the program: up to a minute.
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || fail "no window titled '$1'"
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
  sleep 0.3
  echo "$id"
}

# Twips to the screen's pixels: 15 twips a pixel at 100 %.
px() { echo $(( ($1 * scale + 750) / 1500 )); }

# A click (or $5 clicks) at the centre of a control, given as the table gives it: left,
# top, width and height in twips within the window.
click_at() {
  xdotool mousemove --window "$main" "$(px $(($1 + $3 / 2)))" "$(px $(($2 + $4 / 2)))" click --repeat "${5:-1}" --delay 60 1
  sleep 0.3
}

# One step of the edit: the keys $1 with --keys, else the click of click_at's arguments.
act() {
  if [ -n "$by_keys" ]; then xdotool key --delay 150 $1; sleep 0.3; else shift; click_at "$@"; fi
}

# Fails unless the control's rectangle in the window's picture shows colour $6 (#RRGGBB),
# or at least $6 colours when it is a number.
# A busy machine may not have painted the window yet: the picture is taken anew a few
# times before the check fails.
shows() {
  local geometry colours try
  geometry="$(px "$4")x$(px "$5")+$(px "$2")+$(px "$3")"
  for try in 1 2 3 4 5 6; do
    colours=$(convert "$work/window.png" -crop "$geometry" +repage -unique-colors -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}')
    if [[ $6 == \#* ]]; then grep -qx "$6" <<<"$colours" && return 0
    else [ "$(wc -l <<<"$colours")" -ge "$6" ] && return 0; fi
    sleep 0.5
    import -window "$main" "$work/window.png"
  done
  fail "$1 at $geometry does not show ${6/#[0-9]*/$6 colours}"
}

# Reads the text in a part (WIDTHxHEIGHT+X+Y) of picture $1, enlarged $3 times; text
# brighter than its background is told from it by the grey level $4 (a percentage).
ocr() {
  convert "$1" -crop "$2" +repage -colorspace Gray -resize "$3"00% ${4:+-threshold "$4%" -negate} "$work/ocr.png" &&
    tesseract "$work/ocr.png" - --psm 6 2>/dev/null | tr -s ' \n' '  '
}

# Fails unless the part $3 of picture $1 reads text $2 (bright text: grey level $4). Small
# text reads differently at each enlargement and level, so a few are tried before it fails.
# A busy machine may not have painted the main window yet: its picture is taken anew.
reads() {
  local text size level try levels=("")
  [ -z "${4:-}" ] || levels=($(($4 - 5)) "$4" $(($4 + 5)))
  for try in 1 2 3; do
    for size in 3 4; do
      for level in "${levels[@]}"; do
        text=$(ocr "$1" "$3" "$size" "$level")
        [[ $text == *"$2"* ]] && return 0
      done
    done
    [ "$1" = "$work/window.png" ] || break
    sleep 1
    import -window "$main" "$1"
  done
  fail "the screen reads '$text' where '$2' stands"
}

# The frame of window $1 as the window manager draws it around the window: X Y WIDTH
# HEIGHT, and the height of its top edge, the title bar.
framed() {
  local x y w h l r t b
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left [XY]|Width:|Height:/ { printf "%s ", $NF } END { print "" }')
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9]\+' | tr '\n' ' '; echo)
  echo $((x - l)) $((y - t)) $((w + l + r)) $((h + t + b)) "$t"
}

# A window is centred, frame and all, on the main window (or on the screen before the main
# window is shown, and the main window itself, given "screen"); the window manager may
# neither resize nor maximise it; its title bar reads its whole title.
# Off by 2 pixels at most. Under Wine a program is told of a title bar that grows with the
# desktop's scale while the window manager draws its own as it is: half the difference more.
off=2
[ -n "$on_wine" ] && off=$((2 + 13 * (scale - 100) / 100))
placed() {
  local id x y w h t mx my mw mh
  id=$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)
  read -r x y w h t < <(framed "$id")
  read -r mx my mw mh _ <<<"0 0 1024 768"
  [ -n "${main:-}" ] && [ "${2:-}" != screen ] && read -r mx my mw mh _ < <(framed "$main")
  local dx=$((2 * x + w - 2 * mx - mw)) dy=$((2 * y + h - 2 * my - mh))  # twice the offsets
  [ ${dx#-} -le $((2 * off)) ] && [ ${dy#-} -le $((2 * off)) ] ||
    fail "'$1' framed at $x,$y ${w}x$h is not centred on $((mx + mw / 2)),$((my + mh / 2))"
  xprop -id "$id" _NET_WM_ALLOWED_ACTIONS | grep -v -q -E 'MAXIMIZE|RESIZE|^[^=]*$' ||
    fail "'$1' may be resized or maximised: $(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS)"
  import -window root "$work/screen.png"
  reads "$work/screen.png" "$1" "${w}x$t+$x+$y" 75
}

# Waits for the box titled $1, takes picture $2 of the screen, and checks where the box stands.
box() { wait_window "$1" >/dev/null; shot "$2"; placed "$1"; }

# Waits until the box answered is gone (a busy machine may take a moment to close it).
gone() { for _ in $(seq 100); do xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 0; sleep 0.1; done; fail "'$1' stayed open"; }

# A Yes/No question must be answered: Escape leaves it open.
still_open() { xdotool key Escape; sleep 0.5; xdotool search --onlyvisible --name "^$1\$" >/dev/null || fail "Escape answered '$1'"; }

# The box titled $1, as box() checks it (picture $2), answered by key $3 and gone. An
# access key answers a Yes/No question, which Escape must leave open first.
answer() { box "$1" "$2"; [[ $3 != alt+* ]] || still_open "$1"; xdotool key "$3"; gone "$1"; }

box Disclaimer disclaimer
import -window "$(wait_window Disclaimer)" "$work/box.png"
# Every word gap whole; the text smoothed: grey levels between its colour and the box's.
for words in "YOU are fully responsible" "You may not" "by using" "this program."; do
  reads "$work/box.png" "$words" "$(px 7500)x$(px 1950)+0+0"
done
levels=$(convert "$work/box.png" -crop "$(px 6000)x$(px 1950)+$(px 900)+0" +repage -colorspace Gray -format %k info:)
[ "$levels" -gt 2 ] || fail "the disclaimer's text is drawn in $levels grey levels, not smoothed"
still_open Disclaimer
xdotool key alt+y

if [ "$mode" = --installed ]; then
  box "Drive letter for Norvik" drive-prompt
  xdotool type "$letter"
  xdotool key Return
fi

main=$(wait_window "Norvik2 - Prefs Editor")
shot main-window
placed "Norvik2 - Prefs Editor" screen
[ "$(xdotool getwindowgeometry "$main" | sed -n 's/ *Geometry: //p')" = "$(px 6630)x$(px 3525)" ] ||
  fail "the window is not 6630 by 3525 twips: $(xdotool getwindowgeometry "$main")"
sleep 0.5
import -window "$main" "$work/window.png"
shows List1 10 0 6615 2010 '#00C000'
reads "$work/window.png" "ClanPrefs.cs" "$(px 6615)x$(px 1770)+0+$(px 240)" 20  # below the first row's focus frame
shows List1 10 0 6615 2010 '#000000'
shows LineNfile_txt 10 2040 6600 285 '#000000'
shows Label1 960 2760 1935 375 '#FF0000'
shows Label2 1080 3000 1815 255 '#C00000'
shows Label4 120 3240 1215 255 '#000000'
shows Image2 120 2520 780 525 12
# The credit corner's picture is drawn for the scale, not enlarged from a smaller one: row
# by row, the left edge of its outline moves smoothly, where an enlarged picture steps.
# The mean bend of that edge (its second difference), in hundredths of a pixel.
bend=$(convert "$work/window.png" -crop "$(px 780)x$(px 525)+$(px 120)+$(px 2520)" +repage -colorspace Gray -depth 8 -compress none pgm:- |
  tr -s ' \n' '\n\n' | awk 'NR == 2 { w = $1 } NR == 3 { h = $1 } NR > 4 { v[NR - 5] = $1; if (NR == 5 || $1 < dark) dark = $1 }
    END { for (y = 0; y < h; y++) { p = 0
            for (x = 0; x < w / 2; x++) { b = (v[y * w + x] - dark) / (v[0] - dark); p += b < 1 ? b : 1; if (b < 0.5) break }
            if (x >= w / 2) continue
            if (n++ > 1) { d = p - 2 * q + r; bend += d < 0 ? -d : d } r = q; q = p }
          print int(100 * bend / (n - 2)) }')
[ "$bend" -lt 25 ] || fail "the credit corner's picture steps along its outline: a mean bend of $bend/100 pixel"
if [ -z "$by_keys" ]; then  # no key reaches the credit corner
  # The credit corner's tool tip: its background (its commonest colour) and its text (the
  # colour farthest from that) read from what the pointer's rest changed on the screen.
  import -window root "$work/before.png"
  xdotool mousemove --window "$main" "$(px 1500)" "$(px 2600)"
  for _ in $(seq 20); do
    sleep 0.5
    import -window root "$work/tip.png"
    tip=$(convert "$work/before.png" "$work/tip.png" -compose difference -composite -format %@ info: 2>/dev/null)
    [[ $tip == 0x0* ]] || break
  done
  shot tooltip
  read -r fore back contrast < <(convert "$work/tip.png" -crop "$tip" +repage -format %c histogram:info:- | tr -c '0-9#A-F\n' ' ' |
    awk 'function lum(r, g, b) { return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b) }
         function lin(c) { c /= 255; return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
         { n[NR] = $1; hex[NR] = $5; l[NR] = lum($2, $3, $4); if ($1 > n[bg]) bg = NR }
         END { for (i in n) { c = (l[i] > l[bg] ? l[i] + 0.05 : l[bg] + 0.05) / (l[i] > l[bg] ? l[bg] + 0.05 : l[i] + 0.05)
                              if (n[i] >= 3 && c > best) { best = c; fg = i } }
               printf "%s %s %.1f\n", hex[fg], hex[bg], best }')
  echo "tool tip: text $fore on $back, contrast $contrast to 1"
  awk -v c="$contrast" 'BEGIN { exit !(c >= 4.5) }' || fail "the tool tip's text $fore on $back has a contrast of $contrast to 1"
  click_at 0 2520 2295 855  # Label3, where nothing else lies over it
  for _ in $(seq 200); do [ -s "$work/opened/address" ] && break; sleep 0.1; done  # Wine starts its browser first
  [ "$(cat "$work/opened/address" 2>/dev/null)" = https://stormwarden.example/ ] || fail "the credit corner opened nothing"
fi
ini=$(tr -d '\r' <"$settings" 2>/dev/null) || fail "no settings file at $settings"
[ "$ini" = "[NorvikFolder]"$'\n'"Norvik2=$letter:\\vandrel\\norvik2\\gamedata" ] || fail "settings file holds: $ini"

# The first entry is the first prefs file in the list's order.
original=$(xxd -p "$target")

# Double-click the first entry (the list starts at the top left of the window, and has
# the focus: Space selects the item its frame stands on). A window the user moved stays
# there, painted anew: it was centred once.
moved=$(xdotool windowmove --sync "$main" 40 30 getwindowgeometry "$main" | grep Position)
act space 0 0 1800 240
act Return 0 0 1800 240 2
sleep 1
[ "$(xdotool getwindowgeometry "$main" | grep Position)" = "$moved" ] || fail "the moved window went back from $moved"
title=$(xdotool getwindowname "$main")
[ "$title" = "Norvik2 - Prefs Editor ... AudioPrefs.cs" ] || fail "caption is '$title'"
shot file-open

# Click the first line, click into the text box; Cancel, then again, and type a line
# without ";" that holds a character the code page lacks; Change.
act Down 0 0 1800 240
import -window "$main" "$work/window.png"
shows LineNfile_txt 10 2040 6600 285 '#8080FF'
act "Tab F2" 10 2040 6600 285
shot editing
act alt+a 2400 2520 2055 375  # Command2(1), Cancel
act "Tab Return" 10 2040 6600 285
xdotool key ctrl+a
[ -z "$russian" ] || { xdotool key ctrl+c && sleep 0.5 && copied=$(xclip -o -selection clipboard 2>/dev/null) || copied=""; }
[ -z "$russian" ] || [ "$copied" = '$pref::Player::name = "Дмитрий";' ] || fail "the text box holds '$copied' for the line in Cyrillic"
xdotool type --delay 5 "$typed"
xdotool key Greek_OMEGA
sleep 0.5
shot typed
import -window "$main" "$work/window.png"
reads "$work/window.png" "${typed:0:12}" "$(px 6600)x$(px 285)+$(px 10)+$(px 2040)" 15
act alt+c 4440 2520 2055 375  # Command2(0), Change
answer "Syntax Error" syntax-error Escape  # an OK box takes Escape for OK

# Reload asks first; Yes saves and shows the file list again.
main=$(wait_window "Norvik2 - Prefs Editor ... AudioPrefs.cs")
act alt+s 4440 3000 2055 375  # Command3, Save & Exit: Escape answers Cancel and nothing ends
answer "Save Changes" save-or-cancel Escape
main=$(wait_window "Norvik2 - Prefs Editor ... AudioPrefs.cs")
act alt+r 2400 3000 2055 375  # Command1, Reload Prefs
answer "Save Changes" save-changes alt+y
answer Success success Return
main=$(wait_window "Norvik2 - Prefs Editor")
# The file's non-blank lines, the first replaced by $1, each ended by CR LF, as xxd shows them.
saved_as() {
  printf '%s' "$original" | xxd -r -p |
    first=$1 LC_ALL=C awk 'BEGIN { RS = "\r\n|\r|\n"; ORS = "\r\n" }
         { t = $0; gsub(/^ +| +$/, "", t); if (t == "") next; print n++ ? $0 : ENVIRON["first"] }' | xxd -p
}
holds() { [ "$(xxd -p "$target")" = "$1" ] || { diff <(echo "$1" | xxd -r -p | xxd) <(xxd "$target") >&2; fail "file on disk differs"; }; }
final=$saved
holds "$(saved_as "$final")"
if [ -n "$by_keys" ]; then
  act alt+s 4440 3000 2055 375  # Command3, Save & Exit, with nothing left to save
else
  # Opened again and edited; meanwhile another program rewrites the file. Save & Exit asks
  # whether to write over that: No keeps the window and writes nothing, Yes saves.
  for clicks in 1 2 1; do click_at 0 0 1800 240 $clicks && sleep 0.7; done  # the entry, opened; its first line
  click_at 10 2040 6600 285
  xdotool key ctrl+a
  xdotool type --delay 5 '$pref::Audio::masterVolume = 0.5;'
  click_at 4440 2520 2055 375  # Command2(0), Change
  outside=$(printf 'written by the game;\r\n' | tee "$target" | xxd -p)
  for answer in n y; do
    click_at 4440 3000 2055 375  # Command3, Save & Exit
    wait_window "Save Changes" >/dev/null
    xdotool key alt+y
    box "File Changed" file-changed
    import -window "$(wait_window "File Changed")" "$work/box.png"
    reads "$work/box.png" "AudioPrefs.cs was changed by another program" "$(px 7500)x$(px 1500)+0+0"
    still_open "File Changed"
    xdotool key alt+$answer
    gone "File Changed"
    [ $answer = y ] || { main=$(wait_window "Norvik2 - Prefs Editor ... AudioPrefs.cs") && holds "$outside"; }
  done
  wait_window "Success" >/dev/null
  xdotool key Return
  final='$pref::Audio::masterVolume = 0.5;'
fi

timeout 10 tail -s 0.1 --pid="$app_pid" -f /dev/null || fail "the program did not end after the save"
wait "$app_pid" || fail "the program ended with status $?"
app_pid=""
holds "$(saved_as "$final")"
echo "edit road ${by_keys:+by keys }passed: $(wc -c <"$target") bytes written to $first"
