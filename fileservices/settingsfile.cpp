#include "fileservices/settingsfile.h"

#include <cstdint>

#include "fileservices/inputfile.h"
#include "fileservices/replacefile.h"

namespace FileMisc {
namespace {

// The settings file holds one short line; anything near this size is not ours to parse.
constexpr std::uint64_t kMaxIniBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxIniValue = 254;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Reads a whole regular file. False when it cannot be read or is too large.
bool ReadSmallFile(const hostpath::HostPath& path, std::string& content) {
  fileservices_internal::InputFile file(path);
  if (!file.isOpen() || file.size() > kMaxIniBytes) return false;
  content.resize(static_cast<std::size_t>(file.size()));
  std::size_t done = 0;
  while (done < content.size()) {
    const std::ptrdiff_t n = file.Read(content.data() + done, content.size() - done);
    if (n < 0) return false;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  content.resize(done);  // the file may have shrunk meanwhile
  return true;
}

// Where a key sits in the settings text, and where a new key of the section would go.
struct IniLayout {
  bool sectionFound = false;
  std::size_t insertAt = 0;         // just past the section's last non-blank line
  bool insertNeedsLineEnd = false;  // that line is the last of the file and unterminated
  bool keyFound = false;
  std::size_t valueStart = 0;         // just past the '='
  std::size_t valueEnd = 0;           // end of the line, before its terminator
  std::string_view lineEnd = "\r\n";  // the file's own line end, for lines we add
};

// The first key line of `key` in a section named `section`, in file order. Lines end at
// CR LF, LF or a lone CR.
IniLayout ScanIni(std::string_view text, std::string_view section, std::string_view key) {
  IniLayout layout;
  bool lineEndSeen = false;
  bool inSection = false;
  bool firstSectionDone = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::size_t next = end;
    if (end < text.size())
      next += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    if (!lineEndSeen && end < text.size()) {
      layout.lineEnd = text.substr(end, next - end);
      lineEndSeen = true;
    }
    const std::string_view line = Trim(text.substr(pos, end - pos));

    if (!line.empty() && line.front() == '[') {
      if (inSection) firstSectionDone = true;
      std::string_view name = line.substr(1);
      name = Trim(name.substr(0, name.find(']')));
      inSection = EqualsAsciiNoCase(name, section);
      if (inSection && !layout.sectionFound) {
        layout.sectionFound = true;
        layout.insertAt = next;
        layout.insertNeedsLineEnd = next == end;
      }
    } else if (inSection) {
      const std::size_t eq = line.find('=');
      if (eq != std::string_view::npos && EqualsAsciiNoCase(Trim(line.substr(0, eq)), key)) {
        layout.keyFound = true;
        // The blanks after '=' are layout, kept like the rest of the line.
        std::size_t start = static_cast<std::size_t>(line.data() - text.data()) + eq + 1;
        while (start < end && IsBlank(text[start])) ++start;
        layout.valueStart = start;
        layout.valueEnd = end;
        return layout;
      }
      if (!line.empty() && !firstSectionDone) {
        layout.insertAt = next;
        layout.insertNeedsLineEnd = next == end;
      }
    }
    pos = next;
  }
  return layout;
}

bool IsUsableName(std::string_view name, std::string_view forbidden) {
  return !name.empty() && Trim(name) == name &&
         name.find_first_of(forbidden) == std::string_view::npos;
}

}  // namespace

std::string ReadIniValue(std::string_view section, std::string_view key,
                         const hostpath::HostPath& file) {
  std::string text;
  if (!ReadSmallFile(file, text)) return {};
  const IniLayout layout = ScanIni(text, section, key);
  if (!layout.keyFound) return {};
  std::string_view value =
      Trim(std::string_view(text).substr(layout.valueStart, layout.valueEnd - layout.valueStart));
  value = value.substr(0, value.find('\0'));
  return std::string(value.substr(0, kMaxIniValue));
}

void WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                   const hostpath::HostPath& file) {
  using namespace std::string_literals;
  // Names that could not be read back, or that would break the file's structure.
  if (!IsUsableName(section, "]\r\n\0"s) || !IsUsableName(key, "=[\r\n\0"s)) return;
  value = value.substr(0, value.find_first_of("\r\n\0"s));

  const std::optional<fileservices_internal::ReplaceTarget> target =
      fileservices_internal::FindReplaceTarget(file);
  // A file marked read-only is left as it is, also where the system would let a rename
  // go over it (POSIX, and root anywhere).
  if (!target || (target->exists && !target->saveable)) return;

  std::string text;
  if (target->exists && !ReadSmallFile(file, text))
    return;  // never clobber what we cannot read
  const IniLayout layout = ScanIni(text, section, key);

  std::string updated;
  updated.reserve(text.size() + section.size() + key.size() + value.size() + 8);
  if (layout.keyFound) {
    updated.append(text, 0, layout.valueStart).append(value).append(text, layout.valueEnd);
  } else if (layout.sectionFound) {
    // A lone CR right before an LF would join the two into one line end, and the line
    // that LF ended would be lost.
    const bool lfFollows = layout.insertAt < text.size() && text[layout.insertAt] == '\n';
    const std::string_view end = lfFollows && layout.lineEnd == "\r" ? "\r\n" : layout.lineEnd;
    updated.append(text, 0, layout.insertAt);
    if (layout.insertNeedsLineEnd) updated.append(layout.lineEnd);
    updated.append(key).append("=").append(value).append(end);
    updated.append(text, layout.insertAt);
  } else {
    updated = text;
    if (!updated.empty() && updated.back() != '\n' && updated.back() != '\r')
      updated.append(layout.lineEnd);
    updated.append("[").append(section).append("]").append(layout.lineEnd);
    updated.append(key).append("=").append(value).append(layout.lineEnd);
  }
  if (target->exists && updated == text) return;

  fileservices_internal::FileReplacement replacement;
  if (replacement.Begin(*target) && replacement.Write(updated)) replacement.Commit();
}

}  // namespace FileMisc
