#pragma once

// Settings file, file-exists test, line loader, safe file replacement and the shell
// call. Paths are program paths in the code page (see hostpath.h). No routine here
// throws: failures turn into a result.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace FileMisc {

// True when a regular file is found at `path` (symbolic links followed). Folders,
// missing drives and paths of an invalid shape give false.
bool FileExists(std::string_view path);

// The value of `key` in `[section]` of the settings file, at most 254 characters;
// the empty text when the file, the section or the key is missing. Section and key
// names compare without regard to ASCII case; blanks around the value are dropped.
std::string ReadIniValue(std::string_view section, std::string_view key, std::string_view file);

// Creates the file, the section or the key when missing, or replaces the key's value.
// Every other line of the file stays as it was. The file is replaced atomically.
// A value is cut at its first CR or LF, so it can never add lines. Failures are silent.
void WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view file);

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

// Reads the regular file at `path` and hands every non-blank line to `sink`, in file
// order. CR, CR LF and LF end a line; a last line without terminator is read. Blank
// means empty after trimming spaces (only code 32). Opening never blocks (a FIFO or a
// device file is refused).
LoadResult LoadLinesIntoList(std::string_view path, LineSink& sink);

// Replaces an existing file's content without ever destroying the old file first:
// writes a temporary file in the same folder, flushes and syncs it, keeps the old
// file's permission bits (and owner and group where allowed), then renames it over
// the target. A target that is a symbolic link stays a link; the file it points to
// is replaced. Until Commit succeeds the old file is untouched; a writer destroyed
// without a successful Commit removes its temporary file.
class SafeFileWriter {
 public:
  // Opens the temporary file. Fails (ok() false) when the target is missing, not a
  // regular file, marked read-only (no write bit set, also for root) or not writable.
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

// Fault injection for tests: when set, called before each write(2) and rename(2) that
// the writer makes; returning a non-zero errno makes that call fail with it.
namespace testing {
enum class Step { Write, Rename };
void SetFaultHook(std::function<int(Step)> hook);
}  // namespace testing

// Hands `target` (an address or document) to the desktop: spawns `xdg-open target`
// without a shell, does not wait for it and leaves no zombie. Every failure is silent.
// `ownerWindow` is kept for the interface; the POSIX call has no use for it.
void OpenWithShell(std::uintptr_t ownerWindow, std::string_view target);

}  // namespace FileMisc
