#pragma once

// The write-to-a-temporary-then-rename step shared by the settings file and the prefs
// file save. Used inside fileservices, and by tests for its fault injection.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "fileservices/hostpath.h"

namespace fileservices_internal {

// Fault injection for tests: when set, called before each write and before the rename
// that a replacement makes; returning non-zero makes that call fail (on POSIX with that
// errno).
namespace testing {
enum class Step { Write, Rename };
void SetFaultHook(std::function<int(Step)> hook);
// What the hook says for `step`: 0 when there is none.
int InjectedFault(Step step);
}  // namespace testing

// Where a replacement of the program path has to land: the path itself, or the file a
// symbolic link there points to. Nothing when a link cannot be followed or the path is
// unusable.
struct ReplaceTarget {
  hostpath::HostPath path;
  bool exists = false;
  // An ordinary file that a save may replace. POSIX: a write bit is set and the user may
  // write it (the bits are checked for root too). Windows: not marked read-only, hidden
  // or system.
  bool saveable = false;
#ifndef _WIN32
  struct stat info {};
#endif
};
std::optional<ReplaceTarget> FindReplaceTarget(std::string_view programPath);

// A new version of a file, written beside it and renamed over it on Commit. The old
// file stays untouched until the rename; an uncommitted replacement removes its
// temporary file.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates the temporary file. POSIX: a target that exists lends the new file its
  // permission bits, owner and group; a new one gets the usual mode under the umask.
  // Windows: the replace keeps the old file's attributes and security.
  bool Begin(const ReplaceTarget& target);
  bool Write(std::string_view bytes);
  bool Commit();
  bool ok() const { return file_ != -1 && !failed_; }

 private:
  bool Flush();
  void Abort();

  ReplaceTarget target_;
  hostpath::HostPath folder_;
  hostpath::HostPath temp_;
  std::string buffer_;
  std::intptr_t file_ = -1;  // a descriptor, or a Windows handle
  bool failed_ = false;
};

}  // namespace fileservices_internal
