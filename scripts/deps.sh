# Installs the Debian packages named as arguments that are not installed yet.
# Sourced by the run and test scripts.
install_missing_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing ${missing[*]} ..."
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake make g++ qt6-base-dev libgl-dev libgtest-dev fonts-dejavu-core)
# The end-to-end tests' display, window manager, input and screen reading (tesseract), and
# the screen reader's view (AT-SPI on a D-Bus session of the test's own); clang and its
# libFuzzer runtime for fuzz/; xxd and pgrep (procps) for the end-to-end and setup checks;
# python3 and iconv (libc-bin) check the code-page tables, the locales' sources let a test
# make the locales it runs Wine under, xclip reads the clipboard.
TEST_PACKAGES=(xvfb openbox xdotool x11-utils x11-xserver-utils imagemagick tesseract-ocr dbus-daemon at-spi2-core
               python3-pyatspi clang libclang-rt-14-dev xxd procps python3 libc-bin locales xclip)
# The installed copy's checks: the validators of the menu entry and the metadata, the
# Debian package's dependency tool and its checkers (devscripts: hardening-check), and
# setpriv to run the program as a user.
INSTALL_CHECK_PACKAGES=(desktop-file-utils appstream dpkg-dev lintian devscripts util-linux)
# The Windows cross-build, and Wine with its own fonts to run it (Tahoma among them, which
# one test copies into its prefix); Ninja and dpkg-source to build Qt for Windows from Debian's
# source package; ccache lets a Qt build made anew reuse what an earlier one compiled;
# NSIS makes the setup program, icoutils' wrestool reads the program's resources.
WINDOWS_TEST_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine64 fonts-wine ninja-build dpkg-dev ccache
                       nsis icoutils)

# The programs the test command and the scripts it runs call, beyond those every Debian has
# (coreutils, grep, sed, findutils, diffutils, dpkg, util-linux), each with its package.
TEST_PROGRAMS=(cmake:cmake ctest:cmake cpack:cmake make:make g++:g++ clang:clang Xvfb:xvfb openbox:openbox
               xdotool:xdotool xmessage:x11-utils xprop:x11-utils xwininfo:x11-utils xmodmap:x11-xserver-utils
               import:imagemagick convert:imagemagick tesseract:tesseract-ocr dbus-run-session:dbus-daemon
               /usr/bin/python3:python3 xxd:xxd pgrep:procps strings:binutils desktop-file-validate:desktop-file-utils
               appstreamcli:appstream dpkg-shlibdeps:dpkg-dev dpkg-source:dpkg-dev lintian:lintian
               x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
               x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64 /usr/lib/wine/wine64:wine64 ninja:ninja-build
               ccache:ccache makensis:nsis wrestool:icoutils setpriv:util-linux
               hardening-check:devscripts iconv:libc-bin localedef:libc-bin xclip:xclip)

# Fails unless every program:package named as an argument is there, naming what is missing
# and the package that brings it.
check_programs() {
  local entry missing=()
  for entry in "$@"; do
    command -v "${entry%%:*}" >/dev/null || missing+=("${entry%%:*} (package ${entry#*:})")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  printf 'missing: %s\n' "${missing[@]}" >&2
  return 1
}
