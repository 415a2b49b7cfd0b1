#include "fileservices/hostpath.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "fileservices/codepage.h"
#include "fileservices/pathshape.h"
#include "fileservices/settingsfolder.h"

namespace hostpath {
namespace {

std::string& OverriddenFolder() {
  static std::string folder;
  return folder;
}

bool IsFolder(const std::string& hostPath) {
  struct stat st;
  return stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> DriveRoot(char letter) {
  for (std::string& candidate : DriveRootCandidates(letter))
    if (IsFolder(candidate)) return std::move(candidate);
  return std::nullopt;
}

// The host name of the entry of `folder` that equals `part` without regard to case,
// taking the first in listing order when several do. Names that are not valid UTF-8
// are compared through their code-page reading, so they can still be found.
std::optional<std::string> FindCaseVariant(const std::string& folder, std::string_view part) {
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  std::string bestText, text;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    text.clear();
    // A name the code page cannot hold reads with a '?' that stands for no one name.
    if (!codepage::AppendFromUtf8(text, name) || !codepage::EqualsNoCase(text, part)) continue;
    const int order = best ? codepage::CompareForListing(text, bestText) : -1;
    if (order < 0 || (order == 0 && name < *best)) {
      best = std::string(name);
      bestText = text;
    }
  }
  closedir(dir);
  return best;
}

// The program path's parts below the host folder `host` (without a trailing slash; empty
// for "/"), as ToHostPath maps them.
std::string Below(std::string host, std::string_view programPath) {
  bool exists = true;
  std::string candidate;
  for (const std::string_view part : pathshape::Parts(programPath)) {
    const std::string utf8 = codepage::ToUtf8(part);
    if (exists) {
      candidate = host + '/' + utf8;
      struct stat st;
      if (lstat(candidate.c_str(), &st) == 0) {
        host = std::move(candidate);
        continue;
      }
      if (errno == ENOENT) {
        if (std::optional<std::string> variant = FindCaseVariant(host, part)) {
          host += '/';
          host += *variant;
          continue;
        }
      }
      exists = false;  // everything below is named as given (a file about to be created)
    }
    host += '/';
    host += utf8;
  }

  if (host.empty()) host = "/";
  if (!programPath.empty() && pathshape::IsSeparator(programPath.back()) && host.back() != '/') host += '/';
  return host;
}

}  // namespace

HostPath ExecutableFolder() {
  if (!OverriddenFolder().empty()) return OverriddenFolder();
  static const std::string real = [] {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::string();
    const std::string exe(buffer, static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return std::string();
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
  }();
  return real;
}

std::vector<HostPath> DriveRootCandidates(char letter) {
  const char lower = static_cast<char>(letter | 0x20);
  const std::string device = std::string("/dosdevices/") + lower + ':';
  std::vector<std::string> candidates;

  if (const std::string exe = ExecutableFolder(); !exe.empty())
    candidates.push_back((exe == "/" ? std::string() : exe) + device);
  // An installed copy keeps the user's drives in the configuration folder.
  if (const std::string config = ConfigFolder(); !config.empty()) candidates.push_back(config + device);

  std::string prefix;
  if (const char* wine = std::getenv("WINEPREFIX"); wine && *wine) {
    prefix = wine;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    prefix = std::string(home) + "/.wine";
  }
  // A relative prefix would make drives depend on the working directory.
  if (!prefix.empty() && prefix[0] == '/') {
    std::string candidate = WithoutTrailingSlashes(prefix);
    if (candidate == "/") candidate.clear();
    candidates.push_back(candidate + device);
  }
  return candidates;
}

void OverrideExecutableFolder(HostPath hostFolder) {
  OverriddenFolder() = hostFolder.empty() ? std::string() : WithoutTrailingSlashes(hostFolder);
}

std::optional<HostPath> ToHostPath(std::string_view programPath) {
  std::string host;  // without trailing slash; empty stands for "/"
  switch (pathshape::ShapeOf(programPath)) {
    case pathshape::Shape::Host:
      break;
    case pathshape::Shape::Drive:
      if (std::optional<std::string> root = DriveRoot(programPath[0])) {
        host = std::move(*root);
        break;
      }
      return std::nullopt;
    case pathshape::Shape::None:
      return std::nullopt;
  }
  return Below(std::move(host), programPath);
}

HostPath ToHostPathBelow(const HostPath& root, std::string_view relative) {
  std::string host = WithoutTrailingSlashes(root);
  if (host == "/") host.clear();
  return Below(std::move(host), relative);
}

}  // namespace hostpath
