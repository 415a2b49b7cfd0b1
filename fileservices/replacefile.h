#pragma once

// The write-to-a-temporary-then-rename step shared by the settings file and the prefs
// file save. Used inside fileservices, and by tests for its fault injection.

#include <sys/stat.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace fileservices_internal {

// Fault injection for tests: when set, called before each write(2) and rename(2) that a
// replacement makes; returning a non-zero errno makes that call fail with it.
namespace testing {
enum class Step { Write, Rename };
void SetFaultHook(std::function<int(Step)> hook);
}  // namespace testing

// Where a replacement of `hostPath` has to land: the path itself, or the file a
// symbolic link there points to. `info` receives the stat of that file; `exists` tells
// whether there is one. Nothing when a link cannot be followed or the path is unusable.
struct ReplaceTarget {
  std::string path;
  bool exists = false;
  struct stat info {};
};
std::optional<ReplaceTarget> FindReplaceTarget(const std::string& hostPath);

// A new version of a file, written beside it and renamed over it on Commit. The old
// file stays untouched until the rename; an uncommitted replacement removes its
// temporary file.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates the temporary file. A target that exists lends the new file its
  // permission bits, owner and group; a new one gets the usual mode under the umask.
  bool Begin(const ReplaceTarget& target);
  bool Write(std::string_view bytes);
  bool Commit();
  bool ok() const { return fd_ >= 0 && !failed_; }

 private:
  bool Flush();
  void Abort();

  std::string target_;
  std::string folder_;
  std::string temp_;
  std::string buffer_;
  int fd_ = -1;
  bool failed_ = false;
  bool hasOld_ = false;
  struct stat old_ {};
};

}  // namespace fileservices_internal
