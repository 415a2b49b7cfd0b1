#pragma once

// What tells whether a file on disk still holds the bytes that were read from it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace FileMisc {

// What the system keeps about a file: which file it is (device and inode, or volume and
// file index), its size and its times (nanoseconds on POSIX, 100 ns ticks on Windows; the
// change time is the inode's or the record's, which a rename or a rewrite moves on too).
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  std::uint64_t size = 0;
  std::int64_t written = 0;
  std::int64_t changed = 0;
  bool operator==(const FileIdentity&) const = default;
};

// A 64-bit digest of a byte stream, taken in pieces of any size: cheap enough to take
// while a file is read (several bytes per cycle), not meant to withstand forgery.
class ContentDigest {
 public:
  void Add(const char* bytes, std::size_t size);
  std::uint64_t Value() const;

 private:
  static constexpr std::size_t kBlock = 32;
  void Block(const unsigned char* block);

  std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                             0x27D4EB2F165667C5ull};
  unsigned char pending_[kBlock] = {};
  std::size_t pendingSize_ = 0;
  std::uint64_t total_ = 0;
};

// A file as it was read: what the system said when it was opened, and what was read.
struct ContentStamp {
  bool known = false;
  FileIdentity identity;
  std::uint64_t bytes = 0;
  std::uint64_t digest = 0;
};

enum class DiskState {
  AsRead,   // the same file, or one holding the very same bytes (a touch changes nothing)
  Changed,  // other bytes, or a file that can no longer be read to tell
  Gone,     // no file there any more
};

// Compares the file at the program path `path` with `stamp`: what the system keeps first,
// and only when that differs in anything but the size, the content.
DiskState CompareWithDisk(std::string_view path, const ContentStamp& stamp);

}  // namespace FileMisc
