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
#   4. the installed copy: installed into build/stage, its menu entry and metadata
#      validated, the Debian package built and listed, and the end-to-end test run once
#      against the staged program, from a folder it cannot write, as a Russian user
#      (LANG=ru_RU.UTF-8, a home named in Cyrillic);
#   5. the Windows download: the zip made, listed, unpacked, its notices checked against
#      the libraries in its DLLs and the program's manifest read, and the end-to-end test
#      run under Wine against the unpacked copy, as a Russian user too (the copy unpacked
#      into a folder named "Pobrane Michał");
#   6. the Windows setup program: made, installed silently under Wine, made to refuse
#      where it may not write and while the program runs, the end-to-end test run against
#      the installed copy, then uninstalled, and what is left listed.
# Every stage runs even when an earlier one failed; the last line sums them up.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh

install_missing_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${INSTALL_CHECK_PACKAGES[@]}" \
  "${WINDOWS_TEST_PACKAGES[@]}" || exit 1
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
# the write bit comes back afterwards, however the test ends, so build/ stays removable.
installed_copy() {
  local stage=$PWD/build/stage
  if [ -d "$stage" ]; then chmod -R u+w "$stage" && rm -rf "$stage"; fi
  rm -f build/norvik-prefs-editor_*.deb
  cmake --preset default >/dev/null &&
    cmake --build --preset default -j"$jobs" &&
    DESTDIR=$stage cmake --install build --prefix /usr &&
    echo "--- desktop-file-validate" &&
    desktop-file-validate "$stage"/usr/share/applications/*.desktop && echo "valid" &&
    echo "--- appstreamcli validate" &&
    appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml &&
    echo "--- Debian package" &&
    (cd build && cpack -G DEB) &&
    dpkg-deb --field build/norvik-prefs-editor_*.deb Package Version Depends &&
    dpkg-deb -c build/norvik-prefs-editor_*.deb &&
    echo "--- lintian (errors and warnings fail; infos shown)" &&
    lintian --fail-on error,warning --display-info build/norvik-prefs-editor_*.deb && echo "no errors or warnings" &&
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
  local root rc
  root=$(mktemp -d)
  (installer_road "$root" "$(ls "$PWD"/build/windows/norvik-prefs-editor-*-windows-x64-setup.exe)")
  rc=$?
  chmod -R u+w "$root" && rm -rf "$root"
  return $rc
}

installer_road() {
  local root=$1 setup=$2 wine prefix inst as_user user key rc
  wine=$(PATH=$PATH:/usr/lib/wine command -v wine64 wine | head -n 1)
  prefix=$root/home/prefix
  inst="$prefix/drive_c/Program Files/Norvik2 Prefs Editor"
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
  printf '@echo off\r\n"C:\\Program Files\\Norvik2 Prefs Editor\\Uninstall.exe" /S _?=C:\\Program Files\\Norvik2 Prefs Editor\r\nexit %%ERRORLEVEL%%\r\n' \
    >"$root/uninstall-here.bat"
  local uninstall_here=(cmd /c "Z:${root//\//\\}\\uninstall-here.bat")
  echo "setup program: $(basename "$setup"), $(stat -c %s "$setup") bytes"
  "${as_user[@]}" scripts/wine-prefix.sh "$wine" || return 1
  echo "--- silent install, as $user"
  on_wine "$root/setup.exe" /S || { echo "FAIL: setup ended with $?"; return 1; }
  echo "installed in C:\Program Files\Norvik2 Prefs Editor:"
  (cd "$inst" && find . -type f | sort | sed 's/^/  /')
  diff <(cd "$inst" && find . -type f ! -name Uninstall.exe | sort) \
       <(cd build/windows/unpacked/* && find . -type f | sort) || { echo "FAIL: not the zip's files"; return 1; }
  echo "Add/Remove Programs:"
  "${as_user[@]}" "$wine" reg query "$key" | tr -d '\r' | grep -E 'Display|Publisher|Uninstall' | tee "$root/entry"
  for want in 'DisplayName.*Norvik2 Prefs Editor$' 'DisplayVersion.*1\.0\.1$' 'Publisher.*Oskvarl$' 'DisplayIcon.*norvik-prefs-editor.exe'; do
    grep -q "$want" "$root/entry" || { echo "FAIL: the entry lacks $want"; return 1; }
  done
  echo "Start menu:"
  find "$prefix/drive_c" -path '*Start Menu*' -name '*.lnk' | sed "s|^$prefix/drive_c/|  C:/|" | tee "$root/menu"
  grep -q 'Norvik2 Prefs Editor/Norvik2 Prefs Editor.lnk$' "$root/menu" || { echo "FAIL: no Start-menu entry"; return 1; }

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
  for _ in $(seq 100); do pgrep -f 'Norvik2 Prefs Editor.norvik-prefs-editor.exe' >/dev/null && break; sleep 0.2; done
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
  echo "no program files, no Start-menu entry, no Add/Remove entry"
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
