#pragma once

// Writes a prefs file anew without ever destroying the old one first.

#include <memory>
#include <string_view>

namespace FileMisc {

// Replaces an existing file's content: writes a temporary file in the same folder,
// flushes it to disk, then renames it over the target, keeping the old file's permission
// bits (and owner and group where allowed) on POSIX, its attributes and security on
// Windows. A target that is a symbolic link stays a link; the file it points to is
// replaced. Until Commit succeeds the old file is untouched; a writer destroyed without a
// successful Commit removes its temporary file.
class SafeFileWriter {
 public:
  // Opens the temporary file for the program path `path`. Fails (ok() false) when the
  // target is missing, not a regular file, not writable or marked read-only (no write
  // bit set, also for root; on Windows the read-only attribute, also for a hidden or
  // system file).
  explicit SafeFileWriter(std::string_view path);
  ~SafeFileWriter();
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;

  bool ok() const;
  // Appends `bytes` followed by CR LF.
  bool WriteLine(std::string_view bytes);
  // Flushes, syncs, renames over the target. True only when the new file is in place.
  bool Commit();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace FileMisc
