#!/usr/bin/env bash
# Builds the editor and runs every test, in seven stages:
#   0. Qt for Windows, built from Debian's source into a cache outside the clone when the
#      cache lacks it (scripts/qt-windows.sh; only a fresh machine pays for it);
#   1. the unit and widget tests headless, the end-to-end test that drives the built
#      program under Xvfb, and the same for Windows: the editor, its widget tests, the file
#      services' tests and the fuzz corpus replays cross-built with MinGW-w64 and run
#      under Wine, the end-to-end test driving the Windows program (build/);
#   2. the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#      (build-sanitize/);
#   3. the fuzz targets, FUZZ_SECONDS each (default 30), built with clang (build-fuzz/);
#   4. the installed copy: built hardened as Debian builds packages (build-package/),
#      installed into build-package/stage, its menu entry and metadata validated, the
#      Debian package built, listed and checked (lintian, hardening-check), and the
#      end-to-end test run once against the staged program, from a folder it cannot write,
#      as a Russian user (LANG=ru_RU.UTF-8, a home named in Cyrillic);
#   5. the Windows download: the zip made, listed, unpacked, its notices checked against
#      the libraries in its DLLs and the program's manifest read, and the end-to-end test
#      run under Wine against the unpacked copy, as a Russian user too (the copy unpacked
#      into a folder named "Pobrane Michał");
#   6. the Windows setup program: made, its version and manifest read, installed silently
#      under Wine, its Add/Remove entry read, made to refuse where it may not write and
#      while the program runs, the end-to-end test run against the installed copy, then
#      uninstalled, and what is left listed; then run page by page on a screen of its own,
#      each page's picture kept in build/windows/setup-pages.
# Every stage runs even when an earlier one failed; the last line sums them up.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${INSTALL_CHECK_PACKAGES[@]}" \
  "${WINDOWS_TEST_PACKAGES[@]}" || exit 1
check_programs "${TEST_PROGRAMS[@]}" || exit 1
jobs=$(nproc)
failed=()
stages=0

stage() {
  local name=$1
  shift
  echo "=== $name"
  stages=$((stages + 1))
  "$@" || failed+=("$name")
}

tests_in() {
  local preset=$1
  cmake --preset "$preset" >/dev/null &&
    cmake --build --preset "$preset" -j"$jobs" &&
    ctest --preset "$preset" -j"$jobs"
}

fuzz_targets() {
  cmake --preset fuzz >/dev/null &&
    cmake --build --preset fuzz -j"$jobs" &&
    fuzz/run.sh "${FUZZ_SECONDS:-30}" build-fuzz
}

# Staged as the Debian package installs it (under /usr). The e2e test's user must not be
# able to write the program's folder, also when this script runs as that folder's owner;
# the write bit comes back afterwards, however the test ends, so build-package/ stays
# removable.
installed_copy() {
  local stage=$PWD/build-package/stage
  if [ -d "$stage" ]; then chmod -R u+w "$stage" && rm -rf "$stage"; fi
  rm -f build-package/norvik-prefs-editor_*.deb
  cmake --preset package >/dev/null &&
    cmake --build --preset package -j"$jobs" &&
    DESTDIR=$stage cmake --install build-package --prefix /usr &&
    echo "--- desktop-file-validate" &&
    desktop-file-validate "$stage"/usr/share/applications/*.desktop && echo "valid" &&
    echo "--- appstreamcli validate" &&
    appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml &&
    echo "--- Debian package" &&
    (cd build-package && cpack -G DEB) &&
    dpkg-deb --field build-package/norvik-prefs-editor_*.deb Package Version Depends &&
    dpkg-deb -c build-package/norvik-prefs-editor_*.deb &&
    echo "--- lintian (errors, warnings and hardening infos fail; infos shown)" &&
    lintian --fail-on error,warning --display-info build-package/norvik-prefs-editor_*.deb | tee build-package/lintian.txt &&
    ! grep -E '(^|: )hardening-' build-package/lintian.txt && echo "no errors, warnings or hardening infos" &&
    # Control flow protection aside: the C library's start files on this release carry no
    # mark of it, so no program linked here can have it (/bin/ls has none either).
    echo "--- hardening-check" &&
    hardening-check --nocfprotection "$stage/usr/bin/norvik-prefs-editor" &&
    echo "--- end-to-end test of the installed copy" &&
    (trap 'chmod u+w "$stage/usr/bin"' EXIT
     chmod a-w "$stage/usr/bin" &&
       tests/e2e/edit_road.sh --installed --russian "$stage/usr/bin/norvik-prefs-editor" examples/drive_c)
}

# Every part of others that the Qt build carries (its NOTICES/bundled.txt) has its notice
# in the download's THIRD-PARTY-NOTICES.txt, and so has each library whose mark the DLLs
# in folder $1 bear, as `strings` finds it.
notices_cover() {
  local folder=$1 bundled notices=$1/THIRD-PARTY-NOTICES.txt id mark marks missing=0
  bundled=$(bash scripts/qt-windows.sh --where)/NOTICES/bundled.txt
  [ -s "$bundled" ] && [ -s "$notices" ] || { echo "no $bundled or no $notices"; return 1; }
  while read -r id; do
    grep -q "^== .* ($id)" "$notices" || { echo "no notice of $id"; missing=1; }
  done <"$bundled"
  echo "$(wc -l <"$bundled") parts noticed: $(tr '\n' ' ' <"$bundled")"
  marks=$(find "$folder" -name '*.dll' -exec strings -n 6 {} + | sort -u)
  for id_mark in "freetype:FreeType" "harfbuzz-ng:HB_OPTIONS" "libpng:libpng version" \
                 "zlib:inflate 1." "pcre2:PCRE2"; do
    id=${id_mark%%:*} mark=${id_mark#*:}
    grep -q -F "$mark" <<<"$marks" || continue
    if grep -q "^== .* ($id)" "$notices"; then echo "  '$mark' in the DLLs: $id noticed"
    else echo "  '$mark' in the DLLs, and no notice of $id"; missing=1; fi
  done
  [ $missing -eq 0 ]
}

# The program's manifest, as Windows reads it from its resources.
manifest_holds() {
  local manifest
  manifest=$(wrestool -x --raw --type=24 --name=1 "$1") || return 1
  echo "$manifest" | grep -E 'supportedOS|dpiAware|longPathAware|Common-Controls' | sed 's/^ */  /'
  for want in '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '>PerMonitorV2<' '>true/pm<' \
              'longPathAware[^>]*>true<' 'Microsoft.Windows.Common-Controls" version="6.0.0.0'; do
    grep -q -e "$want" <<<"$manifest" || { echo "the manifest lacks $want"; return 1; }
  done
}

# The Windows download, as a player unpacks it. Needs stage 1's Windows build.
windows_download() {
  local unpacked=$PWD/build/windows/unpacked
  rm -rf "$unpacked" build/windows/norvik-prefs-editor-*.zip
  (cd build/windows && cpack -G ZIP) &&
    zip=$(ls "$PWD"/build/windows/norvik-prefs-editor-*-windows-x64.zip) &&
    cmake -E tar tf "$zip" &&
    mkdir -p "$unpacked" && (cd "$unpacked" && cmake -E tar xf "$zip") &&
    echo "--- notices" && notices_cover "$unpacked"/* &&
    echo "--- manifest" && manifest_holds "$unpacked"/*/norvik-prefs-editor.exe &&
    echo "--- end-to-end test of the unpacked download" &&
    WINEPATH="" WINEPREFIX=$PWD/build/wine-prefix \
      tests/e2e/edit_road.sh --wine --russian "$unpacked"/*/norvik-prefs-editor.exe examples/drive_c
}

# The setup program, as a player runs it, in a Wine prefix of its own, as a user who is not
# root (nobody, when this script runs as root). Needs stage 5's unpacked download.
windows_installer() {
  rm -f build/windows/norvik-prefs-editor-*-setup.exe
  (cd build/windows && cpack -G NSIS) || return 1
  local root rc setup
  root=$(mktemp -d)
  setup=$(ls "$PWD"/build/windows/norvik-prefs-editor-*-windows-x64-setup.exe)
  echo "--- the setup's version and manifest"
  setup_names "$setup" &&
    (installer_road "$root" "$setup") &&
    echo "--- page by page, as a player clicks through" &&
    (setup_pages "$root/pages" "$setup" "$PWD/build/windows/setup-pages")
  rc=$?
  chmod -R u+w "$root" && rm -rf "$root"
  return $rc
}

# The setup program names itself: in its version resource, as Explorer shows it, and in
# its manifest.
setup_names() {
  local version manifest want
  version=$(wrestool -x --raw --type=16 "$1" | strings -e l | tr '\n' '|')
  echo "  version: $version"
  for want in '|ProductName|Norvik2 - Prefs Editor|' '|ProductVersion|1\.0\.1|' '|CompanyName|Oskvarl|' \
              '|FileDescription|Norvik2 - Prefs Editor Setup|' '|FileVersion|1\.0\.1|'; do
    grep -q -e "$want" <<<"$version" || { echo "FAIL: the version resource lacks $want"; return 1; }
  done
  manifest=$(wrestool -x --raw --type=24 --name=1 "$1") || return 1
  grep -o '<assemblyIdentity[^>]*>\|<description>[^<]*</description>' <<<"$manifest" | sed 's/^/  manifest: /'
  grep -q 'name="Oskvarl.NorvikPrefsEditor.Setup"' <<<"$manifest" && ! grep -q -i nullsoft <<<"$manifest" ||
    { echo "FAIL: the manifest does not name the setup"; return 1; }
}

# The setup run as a player runs it, clicked through page by page on a screen of its own
# (Xvfb and openbox), in a fresh Wine prefix, under a German locale where the machine has
# one: it speaks English, as the editor does. Each page's picture goes to folder $3
# (page-N-NAME.png). The finish page starts the editor; the uninstaller then finds a
# settings file beside the program and says on its last page that it stays there.
setup_pages() {
  local work=$1 setup=$2 shots=$3 wine n=0 id=""
  wine=$(PATH=$PATH:/usr/lib/wine command -v wine64 wine | head -n 1)
  mkdir -p "$work" && rm -rf "$shots" && mkdir -p "$shots" || return 1
  . scripts/xvfb.sh
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  if locale -a | grep -q -i '^de_DE\.utf-\?8$'; then export LANG=de_DE.UTF-8; fi
  echo "  locale: ${LANG:-none}"
  start_xvfb "$work/display"
  start_openbox
  trap "'$(dirname "$wine")/wineserver' -k 2>/dev/null; kill $wm_pid $xvfb_pid 2>/dev/null" EXIT  # run in a subshell
  scripts/wine-prefix.sh "$wine" || return 1
  # Waits for the setup's window to show a page that reads text $2 (by OCR), and keeps its
  # picture, named $1.
  page() {
    local text="" try
    n=$((n + 1))
    for try in $(seq 40); do
      sleep 1
      id=$(xdotool search --onlyvisible --name '^Norvik2 - Prefs Editor (Setup|Uninstall)' 2>/dev/null | head -n 1)
      [ -n "$id" ] && import -window "$id" "$shots/page-$n-$1.png" 2>/dev/null || continue
      text=$(convert "$shots/page-$n-$1.png" -resize 300% - | tesseract - - --psm 6 2>/dev/null | tr -s ' \n' '  ')
      [[ ${text// /} == *"${2// /}"* ]] && break  # blanks aside: OCR may read one more
    done
    echo "  page $n, $1: $(xdotool getwindowname "$id" 2>/dev/null) ... ${text:0:120}"
    [[ ${text// /} == *"${2// /}"* ]] || { echo "FAIL: page $n does not read '$2'"; return 1; }
  }
  next() { xdotool windowfocus --sync "$id" 2>/dev/null; xdotool key "$1"; }
  "$wine" "$setup" &
  page welcome "GNU Lesser General Public License" && next Return &&
    page licence "License Agreement" && next Return &&
    page folder "Choose Install Location" && next Return &&
    page start-menu "Start Menu" && next Return &&
    page installing "Completed" && next Return &&
    page finish "has been installed" && next Return || return 1
  for _ in $(seq 100); do xdotool search --onlyvisible --name '^Disclaimer$' >/dev/null 2>&1 && break; sleep 0.3; done
  xdotool search --onlyvisible --name '^Disclaimer$' >/dev/null || { echo "FAIL: the finish page did not start the editor"; return 1; }
  echo "  the finish page started the editor: its disclaimer is shown"
  "$(dirname "$wine")/wineserver" -k; "$(dirname "$wine")/wineserver" -w
  local inst="$WINEPREFIX/drive_c/Program Files/Norvik2 - Prefs Editor"
  printf '[NorvikFolder]\r\nNorvik2=c:\\vandrel\\norvik2\\gamedata\r\n' >"$inst/NorvikPrefs.ini"
  "$wine" "$inst/Uninstall.exe" &
  page uninstall "be uninstalled" && next Return &&
    page removing "Completed" && next Return &&
    page removed "NorvikPrefs.ini" && next Return || return 1
  "$(dirname "$wine")/wineserver" -w
  [ "$(ls "$inst")" = NorvikPrefs.ini ] || { echo "FAIL: left in the program's folder: $(ls "$inst")"; return 1; }
  ! "$wine" reg query 'HKLM\Software\Oskvarl' >/dev/null 2>&1 || { echo "FAIL: the vendor key is left"; return 1; }
  echo "  $n pages; left: the settings file in the program's folder, as the last page says"
}

installer_road() {
  local root=$1 setup=$2 wine prefix inst as_user user key rc
  wine=$(PATH=$PATH:/usr/lib/wine command -v wine64 wine | head -n 1)
  prefix=$root/home/prefix
  inst="$prefix/drive_c/Program Files/Norvik2 - Prefs Editor"
  key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\norvik-prefs-editor'
  mkdir "$root/home" && cp "$setup" "$root/setup.exe" && chmod 755 "$root" "$root/setup.exe"
  as_user=(env)
  if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$root/home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups env)
  fi
  as_user+=(HOME="$root/home" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
  user=$("${as_user[@]}" id -un)
  trap "$(printf '%q ' "${as_user[@]}" "$(dirname "$wine")/wineserver" -k) 2>/dev/null" EXIT
  on_wine() { "${as_user[@]}" "$wine" "$@"; local rc=$?; "${as_user[@]}" "$(dirname "$wine")/wineserver" -w; return $rc; }
  snapshot() { (cd "$inst" && find . | sort && find . -type f -exec sha1sum {} + | sort); }
  refused() {  # what: the program and its arguments; the folder must stay as it was
    local before rc
    before=$(snapshot)
    "${as_user[@]}" "$wine" "$@"; rc=$?
    [ $rc -eq 2 ] || { echo "FAIL: exit code $rc, not 2 (refused)"; return 1; }
    [ "$(snapshot)" = "$before" ] || { echo "FAIL: the folder changed"; return 1; }
    echo "refused with exit code 2, every file as it was"
  }

  # The uninstaller run where it lies ("_?=" and the folder, unquoted, end its command line),
  # so that the exit code is its own: started plainly, it starts a copy of itself and ends.
  printf '@echo off\r\n"C:\\Program Files\\Norvik2 - Prefs Editor\\Uninstall.exe" /S _?=C:\\Program Files\\Norvik2 - Prefs Editor\r\nexit %%ERRORLEVEL%%\r\n' \
    >"$root/uninstall-here.bat"
  local uninstall_here=(cmd /c "Z:${root//\//\\}\\uninstall-here.bat")
  echo "setup program: $(basename "$setup"), $(stat -c %s "$setup") bytes"
  "${as_user[@]}" scripts/wine-prefix.sh "$wine" || return 1
  echo "--- silent install, as $user"
  on_wine "$root/setup.exe" /S || { echo "FAIL: setup ended with $?"; return 1; }
  echo "installed in C:\Program Files\Norvik2 - Prefs Editor:"
  (cd "$inst" && find . -type f | sort | sed 's/^/  /')
  diff <(cd "$inst" && find . -type f ! -name Uninstall.exe | sort) \
       <(cd build/windows/unpacked/* && find . -type f | sort) || { echo "FAIL: not the zip's files"; return 1; }
  echo "Add/Remove Programs:"
  "${as_user[@]}" "$wine" reg query "$key" | tr -d '\r' | grep -E 'Display|Publisher|Uninstall|Estimated|No' | tee "$root/entry"
  # Numbers as numbers: the size in kilobytes, and no Modify or Repair buttons.
  for want in 'DisplayName +REG_SZ +Norvik2 - Prefs Editor$' 'DisplayVersion.*1\.0\.1$' 'Publisher.*Oskvarl$' \
              'DisplayIcon.*norvik-prefs-editor.exe' 'EstimatedSize +REG_DWORD +0x[0-9a-f]{4,}$' \
              'NoModify +REG_DWORD +0x1$' 'NoRepair +REG_DWORD +0x1$'; do
    grep -q -E "$want" "$root/entry" || { echo "FAIL: the entry lacks $want"; return 1; }
  done
  echo "Start menu:"
  find "$prefix/drive_c" -path '*Start Menu*' -name '*.lnk' | sed "s|^$prefix/drive_c/|  C:/|" | tee "$root/menu"
  grep -q 'Norvik2 - Prefs Editor/Norvik2 - Prefs Editor.lnk$' "$root/menu" || { echo "FAIL: no Start-menu entry"; return 1; }

  echo "--- a folder this account may not write"
  chmod a-w "$inst"
  refused "$root/setup.exe" /S || return 1
  refused "${uninstall_here[@]}" || return 1
  echo "--- end-to-end test of the installed copy, its folder refusing writes"
  "${as_user[@]}" "$(dirname "$wine")/wineserver" -k 2>/dev/null
  WINEPREFIX=$prefix tests/e2e/edit_road.sh --wine-installed "$inst/norvik-prefs-editor.exe" examples/drive_c || return 1
  chmod u+w "$inst"

  echo "--- while the program runs"
  "${as_user[@]}" QT_QPA_PLATFORM=offscreen "$wine" "$inst/norvik-prefs-editor.exe" >/dev/null 2>&1 &
  for _ in $(seq 100); do pgrep -f 'Norvik2 - Prefs Editor.norvik-prefs-editor.exe' >/dev/null && break; sleep 0.2; done
  sleep 3
  refused "$root/setup.exe" /S || return 1
  refused "${uninstall_here[@]}" || return 1
  "${as_user[@]}" "$(dirname "$wine")/wineserver" -k

  echo "--- silent uninstall"
  on_wine "$inst/Uninstall.exe" /S || { echo "FAIL: the uninstaller ended with $?"; return 1; }
  echo "left in the prefix (the settings in %APPDATA% stay):"
  find "$prefix/drive_c" ! -path "$prefix/drive_c/vandrel*" \( -iname '*norvik*' -o -path '*Start Menu*Norvik*' \) | sed "s|^$prefix/drive_c/|  C:/|" | sort | tee "$root/left"
  [ ! -e "$inst" ] || { echo "FAIL: the program's folder is still there"; return 1; }
  ! grep -q '\.lnk$' "$root/left" || { echo "FAIL: a Start-menu entry is left"; return 1; }
  grep -q "users/$user/AppData/Roaming/norvik-prefs-editor/NorvikPrefs.ini$" "$root/left" ||
    { echo "FAIL: the settings in %APPDATA% are gone"; return 1; }
  ! "${as_user[@]}" "$wine" reg query "$key" >/dev/null 2>&1 || { echo "FAIL: the Add/Remove entry is left"; return 1; }
  ! "${as_user[@]}" "$wine" reg query 'HKLM\Software\Oskvarl' >/dev/null 2>&1 || { echo "FAIL: the vendor key is left"; return 1; }
  echo "no program files, no Start-menu entry, no Add/Remove entry, no vendor key"
}

stage "Qt for Windows" bash scripts/qt-windows.sh
stage "tests" tests_in default
stage "sanitizer tests" tests_in sanitize
stage "fuzz" fuzz_targets
stage "installed copy" installed_copy
stage "Windows download" windows_download
stage "Windows setup program" windows_installer

[ ${#failed[@]} -eq 0 ] || echo "failed stages: ${failed[*]}"
echo "stages: $((stages - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
