#pragma once

// Reads a prefs file line by line for the list that shows it.

#include <cstdint>
#include <string_view>

#include "fileservices/filestamp.h"

namespace FileMisc {

// Where the line loader puts what it reads.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // One non-blank line, exactly as read (no terminator).
  virtual void AddItem(std::string_view line) = 0;
  // Called once after every line read, blank or not: lets pending events run.
  // Returning false stops the load.
  virtual bool DoEvents() = 0;
};

enum class LoadResult {
  Complete,    // every line was read
  OpenFailed,  // missing, not a regular file, not readable
  ReadFailed,  // a read failed part way
  TooLarge,    // over kMaxLoadBytes
  Stopped,     // the sink asked to stop
};

inline constexpr std::uint64_t kMaxLoadBytes = 512ull * 1024 * 1024;

// Reads the regular file at the program path `path` and hands every non-blank line to
// `sink`, in file order. CR, CR LF and LF end a line; a last line without terminator is
// read. Blank means empty after trimming spaces (only code 32). Opening never blocks (a
// FIFO or a device file is refused). After a complete load `stamp`, when given, tells what
// was read, for a later look at whether the file still holds it.
LoadResult LoadLinesIntoList(std::string_view path, LineSink& sink,
                             ContentStamp* stamp = nullptr);

}  // namespace FileMisc
