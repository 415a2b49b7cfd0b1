#pragma once

// A file opened for reading, shared by the line loader and the settings file.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "fileservices/hostpath.h"

#include "fileservices/filestamp.h"

namespace fileservices_internal {

// Opens the file at the host path `path` (nothing: a program path that names none) for
// reading. Only an ordinary file on a disk is opened, and opening never waits: a folder, a
// FIFO, a device or a pipe is refused.
class InputFile {
 public:
  explicit InputFile(const std::optional<hostpath::HostPath>& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool isOpen() const { return handle_ != -1; }
  // The size when it was opened; it may grow or shrink while it is read.
  std::uint64_t size() const { return size_; }
  // Reads up to `n` bytes into `buffer`: the count read, 0 at the end, -1 on failure.
  std::ptrdiff_t Read(char* buffer, std::size_t n);
  // What the system keeps about the open file now. False when it cannot say.
  bool Identify(FileMisc::FileIdentity& identity) const;

 private:
  std::intptr_t handle_ = -1;  // a descriptor, or a Windows handle
  std::uint64_t size_ = 0;
};

}  // namespace fileservices_internal
