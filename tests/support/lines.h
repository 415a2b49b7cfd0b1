#pragma once

// What the line loader reads from a file's bytes and what a save then writes: the one
// oracle for both, shared by the tests and the fuzz targets.

#include "fileservices/lineloader.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// The file's non-blank lines in order (blank: nothing but spaces). A line ends at CR LF,
// CR or LF; a last line without an end counts.
inline std::vector<std::string> NonBlankLines(std::string_view bytes) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      lines.back() += bytes[i];
      continue;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.emplace_back();
  }
  std::erase_if(lines, [](const std::string& l) { return l.find_first_not_of(' ') == l.npos; });
  return lines;
}

inline std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) joined += (i ? std::string(separator) : "") + parts[i];
  return joined;
}

// A saved file: every line followed by CR LF.
inline std::string WithCrLf(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

// `count` lines "$pref::lineN = 1;" ended by CR LF: a file too long to load in one round.
inline std::string ManyLines(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes += "$pref::line" + std::to_string(i) + " = 1;\r\n";
  return bytes;
}

// Keeps every line the loader hands over; asks to stop at the `stopAt`th round of events.
class CollectingSink final : public FileMisc::LineSink {
 public:
  void AddItem(std::string_view line) override { lines.emplace_back(line); }
  bool DoEvents() override { return ++events != stopAt; }
  std::vector<std::string> lines;
  int events = 0;
  int stopAt = -1;
};

}  // namespace testsupport
