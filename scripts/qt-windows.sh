#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source package, with MinGW-w64,
# and installs it into a cache outside every clone:
#   ${NORVIK_QT_WINDOWS:-~/.cache/norvik-prefs-editor/qt-<version>-mingw-w64-<recipe>}
# Only what the editor and its tests load is built: Core, Gui, Widgets, Test, the windows
# platform plugin, the Windows style plugin and the icon plugin, without the widgets,
# dialogs and formats the editor never shows. The source version is the host's
# qt6-base-dev, so the host's moc, rcc and uic serve the cross build. <recipe> is a hash
# of the source version and the configuration below: a cache made another way is never
# taken for this one, and a change anywhere else leaves the cache as it is.
#
# A cache that holds a finished build is used as it is; the script then only prints its
# path. The source is fetched through a source list and apt state of the script's own: the
# machine's apt configuration is never changed. An interrupted build resumes where it
# stopped (the work folder is kept beside the cache until the install has finished), and
# with ccache a build from scratch reuses what an earlier one compiled.
#
# Beside Qt, the cache holds NOTICES/: for every part of others whose code went into the
# DLLs and plugins, its attribution and licence texts, and NOTICES/bundled.txt listing
# them (scripts/qt-notices.py); a download passes them on with the DLLs.
#
#   qt-windows.sh                  builds when needed; prints the path of the finished Qt last
#   qt-windows.sh --where          only prints that path
#   qt-windows.sh --deb-src FILE…  only prints the source entries it would make of these
#                                  apt source lists (one-line *.list or deb822 *.sources)
set -euo pipefail

# The deb-src entries for the Debian entries of the apt source list $1, in its own format.
# Only Debian's own archive has Debian's source packages: an entry counts as Debian's when
# its address is on debian.org, or when it is signed with Debian's archive keys (a mirror);
# every other entry is left out, as a repository without sources would fail the update.
deb_src_entries() {
  local debian='function debian(uri, options) {
    return options ~ /\/usr\/share\/keyrings\/debian-archive-/ ||
           uri ~ /^[a-z+]+:\/\/([^\/@]*@)?([^\/:]*\.)?debian\.org(:[0-9]*)?(\/|$)/ }'
  case $1 in
    *.sources) awk "$debian"'
      function flush(  i, n, uri, kept) {
        n = split(uris, uri, /[[:space:]]+/)
        for (i = 1; i <= n; i++) if (uri[i] != "" && debian(uri[i], signed)) kept = kept " " uri[i]
        if (types ~ /(^|[[:space:]])deb([[:space:]]|$)/ && kept != "") {
          for (i = 1; i <= count; i++)
            print tolower(line[i]) ~ /^types:/ ? "Types: deb-src" : tolower(line[i]) ~ /^uris:/ ? "URIs:" kept : line[i]
          print ""
        }
        count = 0; types = uris = signed = ""
      }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      { line[++count] = $0 }
      tolower($0) ~ /^types:/ { types = substr($0, 7) }
      tolower($0) ~ /^uris:/ { uris = substr($0, 6) }
      tolower($0) ~ /^signed-by:/ { signed = $0 }
      END { flush() }' "$1" ;;
    *) awk "$debian"'
      $1 == "deb" {
        rest = $0; options = ""
        sub(/^[[:space:]]*deb[[:space:]]+/, "", rest)
        if (rest ~ /^\[/) { options = substr(rest, 1, index(rest, "]")); rest = substr(rest, index(rest, "]") + 1) }
        sub(/^[[:space:]]+/, "", rest)
        split(rest, field, /[[:space:]]+/)
        if (debian(field[1], options)) print "deb-src " (options == "" ? "" : options " ") rest
      }' "$1" ;;
  esac
}
if [ "${1:-}" = --deb-src ]; then
  shift
  for f in "$@"; do deb_src_entries "$f"; done
  exit 0
fi

version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$version" ]; then
  echo "qt-windows: qt6-base-dev is not installed; its version picks the source to build" >&2
  exit 1
fi
upstream=${version%%+*}
if dpkg --compare-versions "$upstream" lt 6.4; then
  echo "qt-windows: qt6-base-dev is $upstream; the editor needs Qt 6.4 at least" >&2
  exit 1
fi

# What is left out (the Windows style plugin needs the table view). dynamicgl and
# directwrite3 go with opengl and direct2d: left on, the windows platform plugin fails to
# build (dynamicgl) or to link (directwrite3).
off_features=(sql network dbus opengl dynamicgl vulkan printsupport concurrent xml direct2d
  directwrite3 jpeg tabletevent pkg_config system_zlib system_pcre2 system_harfbuzz
  system_freetype system_png system_doubleconversion
  calendarwidget colordialog columnview datawidgetmapper datetimeedit dial dockwidget
  errormessage filedialog fontcombobox fontdialog fscompleter graphicsview keysequenceedit
  lcdnumber mdiarea progressdialog splashscreen syntaxhighlighter
  textbrowser toolbox treewidget undoview wizard commandlinkbutton
  textmarkdownreader textmarkdownwriter textodfwriter pdf movie imageformat_ppm
  imageformat_xbm sessionmanager systemtrayicon sharedmemory systemsemaphore)
on_features=(gui widgets testlib accessibility)
recipe=$({ echo "$version"; printf '%s\n' "${off_features[@]}" - "${on_features[@]}"; } | sha1sum | cut -c1-8)

cache=${XDG_CACHE_HOME:-$HOME/.cache}/norvik-prefs-editor
prefix=${NORVIK_QT_WINDOWS:-$cache/qt-$upstream-mingw-w64-$recipe}
work=$cache/qt-$upstream-mingw-w64-$recipe.work

if [ "${1:-}" = --where ] || [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

started=$(date +%s)
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
say() { echo "qt-windows: [$(( $(date +%s) - started ))s] $*" >&2; }
mkdir -p "$work"

# 1. The source, through apt state of our own. The deb-src entries mirror the machine's
#    own entries for Debian's archive, so the package comes from wherever this machine gets
#    its Debian packages.
if [ ! -f "$work/source.done" ]; then
  say "fetching the source of qt6-base $version"
  apt_dir=$work/apt
  rm -rf "$apt_dir" "$work/src"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$work/src"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && deb_src_entries "$f"
  done > "$apt_dir/sources.list"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && deb_src_entries "$f" > "$apt_dir/parts/$(basename "$f")"
  done
  apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "Debug::NoLocking=1"
    -o "APT::Sandbox::User=root")
  apt-get "${apt_opts[@]}" -qq update
  (cd "$work/src" && apt-get "${apt_opts[@]}" -qq source --download-only "qt6-base=$version" >/dev/null)
  (cd "$work/src" && dpkg-source --no-check -x qt6-base_*.dsc qtbase >/dev/null)
  rm -f "$work"/src/*.tar.* "$work"/src/*.dsc
  touch "$work/source.done"
  say "source unpacked into $work/src/qtbase"
fi

# 2. Configure: shared libraries, Release, only the modules and features the editor needs,
#    Qt's own copies of the third-party libraries (Debian has no Windows builds of them).
cat > "$work/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
if [ ! -f "$work/build/build.ninja" ]; then
  say "configuring"
  options=()
  for f in "${off_features[@]}"; do options+=("-DFEATURE_$f=OFF"); done
  for f in "${on_features[@]}"; do options+=("-DFEATURE_$f=ON"); done
  if command -v ccache >/dev/null; then
    # Qt compiles through precompiled headers, which ccache takes only so.
    options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
      -DCMAKE_C_FLAGS=-fpch-preprocess -DCMAKE_CXX_FLAGS=-fpch-preprocess)
  fi
  cmake -G Ninja -S "$work/src/qtbase" -B "$work/build" \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF \
    "${options[@]}" > "$work/configure.log" 2>&1 ||
    { tail -40 "$work/configure.log" >&2; say "configure failed; the whole log: $work/configure.log"; exit 1; }
fi

# 3. Build and install. Ninja's progress goes to the log; a line every minute says how far.
steps=$(ninja -C "$work/build" -n 2>/dev/null | grep -c '^\[' || true)
say "building ($steps steps left; the log: $work/build.log)"
cmake --build "$work/build" --parallel "$(nproc)" > "$work/build.log" 2>&1 &
builder=$!
while kill -0 "$builder" 2>/dev/null; do
  sleep 60 & wait $! || true
  step=$(grep -o '^\[[0-9]*/[0-9]*\]' "$work/build.log" | tail -1 || true)
  kill -0 "$builder" 2>/dev/null && say "building ${step:-...}"
done
wait "$builder" || { tail -40 "$work/build.log" >&2; say "build failed; the whole log: $work/build.log"; exit 1; }
say "installing into $prefix"
rm -rf "$prefix"
cmake --install "$work/build" --strip > "$work/install.log" 2>&1 ||
  { tail -20 "$work/install.log" >&2; say "install failed"; exit 1; }
# The MinGW runtime Qt's DLLs were linked against, beside them, so that a program needs only
# Qt's bin folder on its path (under Wine: WINEPATH).
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  x86_64-w64-mingw32-strip -o "$prefix/bin/$dll" "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)"
done
# Qt's licence texts go with every copy that is passed on, and so do those of the parts of
# others that Qt carries: each one whose files the compiler read for what is shipped.
cp -r "$work/src/qtbase/LICENSES" "$prefix/LICENSES"
ninja -C "$work/build" -t deps > "$work/deps.txt"
python3 "$(dirname "$0")/qt-notices.py" "$work/src/qtbase" "$work/deps.txt" "$prefix/NOTICES"
# The source package it was built from, for the notice that goes with a download.
echo "$version" > "$prefix/.complete"
rm -rf "$work"
say "done: $(du -sh "$prefix" | cut -f1) in $prefix"
echo "$prefix"
