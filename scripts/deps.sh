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
# libFuzzer runtime for fuzz/; python3 and iconv (libc-bin) check the code-page tables, the
# locales' sources let a test make the locales it runs Wine under, xclip reads the clipboard.
TEST_PACKAGES=(xvfb openbox xdotool x11-utils x11-xserver-utils imagemagick tesseract-ocr dbus-daemon at-spi2-core
               python3-pyatspi clang libclang-rt-14-dev python3 libc-bin locales xclip)
# The installed copy's checks: the validators of the menu entry and the metadata, the
# Debian package's dependency tool and its checker, and setpriv to run the program as a
# user.
INSTALL_CHECK_PACKAGES=(desktop-file-utils appstream dpkg-dev lintian util-linux)
# The Windows cross-build, and Wine with its own fonts to run it (Tahoma among them, as
# every Windows has it); Ninja and dpkg-source to build Qt for Windows from Debian's
# source package; ccache lets a Qt build made anew reuse what an earlier one compiled;
# NSIS makes the setup program, icoutils' wrestool reads the program's resources.
WINDOWS_TEST_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine64 fonts-wine ninja-build dpkg-dev ccache
                       nsis icoutils)
