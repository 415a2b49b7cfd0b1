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
// that a replacement makes (POSIX: also between creating its temporary file and locking
// it, and before its fsync, which does not fail from it); returning non-zero makes that
// call fail (on POSIX with that errno).
namespace testing {
enum class Step { Write, Lock, Sync, Rename };
void SetFaultHook(std::function<int(Step)> hook);
// What the hook says for `step`: 0 when there is none.
int InjectedFault(Step step);
}  // namespace testing

// The temporary files of a replacement are named "." + stem + "." + number + ".tmp" beside
// their target: the stem is the target's name, or "norvik-" and 16 hexadecimal digits of a
// digest of it for a name too long to take the suffix; the number is below kTempNumbers,
// in decimal without leading zeros.
constexpr unsigned long long kTempNumbers = 1000000007;
hostpath::HostPath TempName(std::basic_string_view<hostpath::HostPath::value_type> base,
                            unsigned long long number);
// Whether `name` is exactly such a name for a target named `base` (letter case counts).
bool IsTempName(std::basic_string_view<hostpath::HostPath::value_type> name,
                std::basic_string_view<hostpath::HostPath::value_type> base);

// Where a replacement of the host path has to land: the path itself, or the file a
// symbolic link there points to. Nothing when a link cannot be followed or the path is
// unusable (nothing: a program path that names none).
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
std::optional<ReplaceTarget> FindReplaceTarget(const std::optional<hostpath::HostPath>& host);

// A new version of a file, written beside it and renamed over it on Commit. The old
// file stays untouched until the rename; an uncommitted replacement removes its
// temporary file. A temporary file is in use while its writer lives (POSIX: it holds the
// file locked with flock; Windows: it holds it open without sharing, and the file is
// marked hidden until the replace); what a killed writer left is swept by the next
// replacement of the same target.
class FileReplacement {
 public:
  FileReplacement() = default;
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Removes the temporary files of earlier replacements of an existing target that no
  // writer holds any more, then creates its own. POSIX: a target that exists lends the
  // new file its permission bits, owner and group; a new one gets the usual mode under
  // the umask. Windows: the new file takes the old one's attributes, creation time and
  // access rights before it is renamed over it.
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
