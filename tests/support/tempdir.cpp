#include "support/tempdir.h"

#include "fileservices/codepage.h"
#include "fileservices/hostpath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
    const fs::path candidate = fs::temp_directory_path() / ("norvik-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) root_ = candidate;
  }
  if (root_.empty()) throw std::runtime_error("no temporary folder");
  fs::permissions(root_, fs::perms::owner_all);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests take write and search bits away (on Windows: mark files read-only); give them
  // back so the folder can go.
  for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(root_, ec);
}

fs::path TempDir::writeFile(std::string_view relative, std::string_view bytes) const {
  fs::path file = root_ / HostName(std::string(relative));
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
  return file;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
std::optional<char16_t> SystemDecode(int page, unsigned char byte) {
  wchar_t unit = 0;
  const char in = static_cast<char>(byte);
  const bool read = MultiByteToWideChar(static_cast<UINT>(page), MB_ERR_INVALID_CHARS, &in, 1, &unit, 1) == 1;
  return read && (unit < 0xE000 || unit > 0xF8FF) ? std::optional<char16_t>(unit) : std::nullopt;
}

std::string ProgramPath(const fs::path& host) { return codepage::Encode(host.u16string()); }

std::shared_ptr<void> HoldWithoutSharing(const fs::path& file) {
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + file.string());
  return std::shared_ptr<void>(handle, CloseHandle);
}

void DriveFixture::SetUp() {
  exeFolder_ = dir_.path() / "program";
  fs::create_directories(exeFolder_);
  hostpath::OverrideExecutableFolder(exeFolder_.wstring());
  hostpath::OverrideDriveFolders(dir_.path().wstring());
}

void DriveFixture::TearDown() {
  hostpath::OverrideExecutableFolder({});
  hostpath::OverrideDriveFolders({});
}

fs::path HostName(const std::string& name) {
  const std::u8string utf8(name.begin(), name.end());
  try {
    return fs::path(utf8);
  } catch (const std::exception&) {
    return fs::path(codepage::Decode(name));  // not UTF-8: code-page bytes as they stand
  }
}
#else
std::string ProgramPath(const fs::path& host) { return codepage::FromUtf8(host.string()); }

fs::path HostName(const std::string& name) { return fs::path(name); }

std::optional<bool> runWithoutRoot(const std::function<bool()>& check) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 2)
    return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

void DriveFixture::SetUp() {
  exeFolder_ = dir_.path() / "program";
  fs::create_directories(exeFolder_ / "dosdevices");
  hostpath::OverrideExecutableFolder(exeFolder_.string());
  // No Wine prefix or configuration folder of the user's may answer for a drive in a test.
  setenv("WINEPREFIX", (dir_.path() / "no-wine-prefix").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir_.path() / "config").c_str(), 1);
}

void DriveFixture::TearDown() { hostpath::OverrideExecutableFolder({}); }
#endif

// A drive is the folder drive_X in the throw-away folder; on POSIX the program finds it
// through a link in dosdevices/ beside it.
fs::path DriveFixture::writeOnDrive(char letter, std::string_view relative, std::string_view bytes) const {
  const std::string drive = std::string("drive_") + letter;
#ifndef _WIN32
  const fs::path link = exeFolder_ / "dosdevices" / (std::string(1, letter) + ":");
  if (fs::create_directories(dir_.path() / drive)) fs::create_directory_symlink(dir_.path() / drive, link);
#endif
  return dir_.writeFile(drive + "/" + std::string(relative), bytes);
}

}  // namespace testsupport
