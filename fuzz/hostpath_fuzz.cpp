// ToHostPath on any text: a path on a drive resolves inside that drive's root (no part
// of it climbs out), a host path stays a plain absolute path, and every other shape,
// or a drive without a root, resolves to nothing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fileservices/hostpath.h"
#include "scratch.h"

namespace fs = std::filesystem;

namespace {

std::string g_root[2];  // drives c: and d:

// True when `rest` ("" or "/a/b", a trailing slash allowed) names a place below its
// start without empty, "." or ".." parts.
bool PlainBelow(std::string_view rest) {
  if (rest.empty() || rest == "/") return true;
  if (rest[0] != '/') return false;
  rest.remove_prefix(1);
  if (rest.back() == '/') rest.remove_suffix(1);
  while (true) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string_view::npos) return true;
    rest.remove_prefix(slash + 1);
  }
}

bool IsAsciiLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const fs::path base = fuzzsupport::Scratch();
  fs::create_directories(base / "program/dosdevices");
  // c: a folder with mixed-case names, a link that leaves the drive, a link loop;
  // d: a link to a folder. No Wine prefix answers for the other letters.
  for (const char* folder : {"drive_c/Vandrel/Norvik2/GameData", "drive_c/a/b", "drive_d/x"})
    fs::create_directories(base / folder);
  std::ofstream(base / "drive_c/Vandrel/Norvik2/GameData/norvik2.exe") << "MZ";
  std::ofstream(base / "drive_c/caf\xE9") << "";
  fs::create_directory_symlink("/", base / "drive_c/out");
  fs::create_directory_symlink("..", base / "drive_c/a/up");
  fs::create_directory_symlink(base / "drive_c", base / "program/dosdevices/c:");
  fs::create_directory_symlink(base / "drive_d", base / "program/dosdevices/d:");
  setenv("WINEPREFIX", (base / "no-prefix").c_str(), 1);
  hostpath::OverrideExecutableFolder((base / "program").string());
  g_root[0] = (base / "program/dosdevices/c:").string();
  g_root[1] = (base / "program/dosdevices/d:").string();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> host = hostpath::ToHostPath(path);

  const bool hasNul = path.find('\0') != std::string_view::npos;
  const bool hostShape = !path.empty() && path[0] == '/';
  const bool driveShape = path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':' &&
                          (path.size() == 2 || path[2] == '\\' || path[2] == '/');
  if (hasNul || (!hostShape && !driveShape)) {
    if (host) fuzzsupport::Fail("a path of an invalid shape resolved");
    return 0;
  }
  if (hostShape) {
    if (!host || !PlainBelow(*host == "/" ? std::string_view() : std::string_view(*host)))
      fuzzsupport::Fail("a host path did not resolve to a plain absolute path");
    return 0;
  }
  const char letter = static_cast<char>(path[0] | 0x20);
  if (letter != 'c' && letter != 'd') {
    if (host) fuzzsupport::Fail("a drive without a root resolved");
    return 0;
  }
  const std::string& root = g_root[letter == 'd'];
  if (!host || host->compare(0, root.size(), root) != 0 ||
      !PlainBelow(std::string_view(*host).substr(root.size())))
    fuzzsupport::Fail("a drive path resolved outside its drive's root");
  return 0;
}
