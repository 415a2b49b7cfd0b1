#pragma once

// What a folder tree holds, to show that an operation wrote nothing it should not have:
// take one before and one after, and compare.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// Relative path -> kind and content. Large files count by size, time and inode, so a
// sparse file of half a gigabyte is not read.
using TreeSnapshot = std::map<std::string, std::string>;

inline TreeSnapshot TakeSnapshot(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  TreeSnapshot snapshot;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    struct stat st;
    if (lstat(entry.path().c_str(), &st) != 0) continue;
    std::string what;
    if (S_ISDIR(st.st_mode)) {
      what = "folder";
    } else if (S_ISLNK(st.st_mode)) {
      what = "link to " + fs::read_symlink(entry.path()).string();
    } else if (!S_ISREG(st.st_mode)) {
      what = "special";
    } else if (st.st_size > (16 << 20)) {
      what = "large " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_nsec) +
             " " + std::to_string(st.st_ino);
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      what = "file " + std::string(std::istreambuf_iterator<char>(in), {});
    }
    snapshot[fs::relative(entry.path(), root).string()] = std::move(what);
  }
  return snapshot;
}

// The paths that were added, removed or changed, in order.
inline std::vector<std::string> ChangedPaths(const TreeSnapshot& before, const TreeSnapshot& after) {
  std::vector<std::string> changed;
  for (const auto& [path, what] : before) {
    const auto found = after.find(path);
    if (found == after.end() || found->second != what) changed.push_back(path);
  }
  for (const auto& [path, what] : after)
    if (!before.count(path)) changed.push_back(path);
  std::sort(changed.begin(), changed.end());
  return changed;
}

}  // namespace testsupport
