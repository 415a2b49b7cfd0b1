// ToHostPath on any text: a path on a drive resolves inside that drive's root (no part of
// it climbs out), a host path stays a plain absolute path, and every other shape, or a
// drive without a root, resolves to nothing.

#include <cstdint>

#include "fileservices/hostpath.h"
#include "scaffold.h"

namespace fs = std::filesystem;

namespace {

std::string g_root[2];  // drives c: and d:

// True when `rest` ("" or "/a/b", a trailing slash allowed) has no empty, "." or ".." part.
bool PlainBelow(std::string_view rest) {
  if (rest.empty() || rest == "/") return true;
  if (rest[0] != '/') return false;
  rest.remove_prefix(1);
  if (rest.back() == '/') rest.remove_suffix(1);
  for (std::size_t slash = 0; slash != std::string_view::npos; rest.remove_prefix(slash + 1)) {
    slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string_view::npos) return true;
  }
  return true;
}

}  // namespace

// c: holds mixed-case names, a link that leaves the drive and a link loop; d: is a link to
// a folder. No Wine prefix answers for the other letters.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path base = fuzzsupport::Scratch();
  for (const char* folder : {"program/dosdevices", "drive_c/Vandrel/Norvik2/GameData", "drive_c/a/b", "drive_d/x"})
    fs::create_directories(base / folder);
  fuzzsupport::WriteFile(base / "drive_c/Vandrel/Norvik2/GameData/norvik2.exe", "MZ");
  fuzzsupport::WriteFile(base / "drive_c/caf\xE9", "");
  fs::create_directory_symlink("/", base / "drive_c/out");
  fs::create_directory_symlink("..", base / "drive_c/a/up");
  for (const char drive : {'c', 'd'}) {
    const fs::path root = base / "program/dosdevices" / (std::string(1, drive) + ":");
    fs::create_directory_symlink(base / (std::string("drive_") + drive), root);
    g_root[drive == 'd'] = root.string();
  }
  setenv("WINEPREFIX", (base / "no-prefix").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (base / "no-config").c_str(), 1);
  hostpath::OverrideExecutableFolder((base / "program").string());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> host = hostpath::ToHostPath(path);
  const bool hostShape = !path.empty() && path[0] == '/';
  const bool driveShape = size >= 2 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' &&
                          (size == 2 || path[2] == '\\' || path[2] == '/');
  const char letter = static_cast<char>(path.empty() ? 0 : path[0] | 0x20);
  if (path.find('\0') != std::string_view::npos || (!hostShape && !driveShape) ||
      (driveShape && letter != 'c' && letter != 'd')) {
    if (host) fuzzsupport::Fail("a path of an invalid shape, or on a drive without a root, resolved");
  } else if (hostShape) {
    if (!host || !PlainBelow(*host == "/" ? std::string_view() : std::string_view(*host)))
      fuzzsupport::Fail("a host path did not resolve to a plain absolute path");
  } else {
    const std::string& root = g_root[letter == 'd'];
    if (!host || host->compare(0, root.size(), root) != 0 || !PlainBelow(std::string_view(*host).substr(root.size())))
      fuzzsupport::Fail("a drive path resolved outside its drive's root");
  }
  return 0;
}
