#include "fileservices/settingsfolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "fileservices/hostpath.h"

namespace hostpath {
namespace {

constexpr char kProgramName[] = "norvik-prefs-editor";

bool IsFolder(const std::string& hostPath) {
  struct stat st;
  return stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The settings file is replaced through a temporary file beside it, so the folder
// itself must take new entries; a writable file in a read-only folder is not enough.
bool CanWriteIn(const std::string& folder) {
  return !folder.empty() && IsFolder(folder) &&
         faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

// Makes `folder` and its missing parents, readable by the user alone as the base
// directory rules ask for the configuration folder.
bool MakeFolders(const std::string& folder) {
  if (IsFolder(folder)) return true;
  const std::size_t slash = folder.rfind('/');
  if (slash == std::string::npos || !MakeFolders(folder.substr(0, slash == 0 ? 1 : slash)))
    return false;
  return mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && IsFolder(folder));
}

}  // namespace

std::string ConfigFolder() {
  std::string base;
  // A relative $XDG_CONFIG_HOME is ignored, as the base directory rules say.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    base = std::string(home) + "/.config";
  } else {
    return {};
  }
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + '/' + kProgramName;
}

std::string SettingsFolder() {
  if (!CanWriteIn(ExecutableFolder())) {
    std::string config = ConfigFolder();
    if (!config.empty() && MakeFolders(config)) return config;
  }
  return ExecutableFolder();
}

std::string SettingsFile(std::string_view name) {
  const std::string folder = SettingsFolder();
  return (folder == "/" ? std::string() : folder) + '/' + std::string(name);
}

}  // namespace hostpath
