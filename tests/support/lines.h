#pragma once

// Helpers for the tests of loading lines and listing files.

#include "fileservices/lineloader.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

inline std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) joined += (i ? std::string(separator) : "") + parts[i];
  return joined;
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
