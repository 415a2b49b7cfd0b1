#include "fileservices/lineloader.h"

#include <cstring>
#include <vector>

#include "fileservices/inputfile.h"

namespace FileMisc {
namespace {

constexpr std::size_t kChunkBytes = 1024 * 1024;

bool IsBlankLine(std::string_view line) {
  for (char c : line)
    if (c != ' ') return false;
  return true;
}

// Finds line ends with memchr, which scans many bytes per step. The next CR and the
// next LF are each remembered until passed, so each byte is looked at about once even
// when one of the two never occurs.
class LineEndFinder {
 public:
  // The first CR or LF in [p, end), or end.
  const char* Next(const char* p, const char* end) {
    if (!cr_ || cr_ < p) cr_ = Find(p, end, '\r');
    if (!lf_ || lf_ < p) lf_ = Find(p, end, '\n');
    return cr_ < lf_ ? cr_ : lf_;
  }

 private:
  static const char* Find(const char* p, const char* end, char c) {
    const void* hit = std::memchr(p, c, static_cast<std::size_t>(end - p));
    return hit ? static_cast<const char*>(hit) : end;
  }
  const char* cr_ = nullptr;
  const char* lf_ = nullptr;
};

}  // namespace

LoadResult LoadLinesIntoList(std::string_view path, LineSink& sink, ContentStamp* stamp) {
  fileservices_internal::InputFile file(hostpath::ToHostPath(path));
  if (!file.isOpen()) return LoadResult::OpenFailed;
  if (file.size() > kMaxLoadBytes) return LoadResult::TooLarge;
  // Taken before the first read: a write while the file is read then shows as a change.
  FileIdentity identity;
  const bool identified = file.Identify(identity);
  ContentDigest digest;

  // Lines are handed out as views into this buffer. A line cut by the end of a chunk is
  // moved to the front before the next read; a line longer than the buffer grows it.
  std::vector<char> buffer(kChunkBytes);
  std::size_t lineStart = 0;  // start of the line not yet complete
  std::size_t filled = 0;
  std::uint64_t total = 0;
  bool crPending = false;  // the last chunk ended in CR: an LF at the next one belongs to it

  // Handles one complete line. False stops the load.
  auto deliver = [&sink](std::string_view line) {
    if (!sink.DoEvents()) return false;  // before adding: the list may have been cleared
    if (!IsBlankLine(line)) sink.AddItem(line);
    return true;
  };

  for (;;) {
    if (filled == buffer.size()) {
      if (lineStart > 0) {
        std::memmove(buffer.data(), buffer.data() + lineStart, filled - lineStart);
        filled -= lineStart;
        lineStart = 0;
      } else {
        buffer.resize(buffer.size() * 2);
      }
    }
    const std::ptrdiff_t n = file.Read(buffer.data() + filled, buffer.size() - filled);
    if (n < 0) return LoadResult::ReadFailed;
    if (n == 0) break;
    total += static_cast<std::uint64_t>(n);
    if (total > kMaxLoadBytes) return LoadResult::TooLarge;  // it grew while we read
    digest.Add(buffer.data() + filled, static_cast<std::size_t>(n));

    const char* base = buffer.data();
    const char* p = base + filled;
    const char* end = p + n;
    filled += static_cast<std::size_t>(n);
    if (crPending && *p == '\n') {
      ++p;
      lineStart = static_cast<std::size_t>(p - base);
    }
    crPending = false;

    LineEndFinder finder;  // new per chunk: the buffer may have moved
    for (;;) {
      const char* stop = finder.Next(p, end);
      if (stop == end) break;
      const char* lineBegin = base + lineStart;
      if (!deliver({lineBegin, static_cast<std::size_t>(stop - lineBegin)}))
        return LoadResult::Stopped;
      p = stop + 1;
      if (*stop == '\r') {
        if (p == end)
          crPending = true;
        else if (*p == '\n')
          ++p;
      }
      lineStart = static_cast<std::size_t>(p - base);
    }
    if (lineStart == filled) lineStart = filled = 0;
  }

  if (lineStart < filled && !deliver({buffer.data() + lineStart, filled - lineStart}))
    return LoadResult::Stopped;
  if (stamp) *stamp = {identified, identity, total, digest.Value()};
  return LoadResult::Complete;
}

}  // namespace FileMisc
