// WriteIniValue then ReadIniValue on any settings file and any value: the read gives the
// value back (as far as it can be stored: cut at CR, LF or NUL, blanks around it
// dropped, at most 254 characters), and the file is the old one with one key line
// replaced or added (with its section line when that was missing). Every other line
// stays byte for byte. Input: one byte n, then n bytes of value, then the old file.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fileservices/settingsfile.h"
#include "scratch.h"

namespace {

struct Line {
  std::string_view text, end;
  bool operator==(const Line&) const = default;
};

std::vector<Line> Lines(std::string_view s) {
  std::vector<Line> out;
  while (!s.empty()) {
    std::size_t end = s.find_first_of("\r\n");
    if (end == std::string_view::npos) end = s.size();
    std::size_t next = end;
    if (end < s.size()) next += s.substr(end, 2) == "\r\n" ? 2 : 1;
    out.push_back({s.substr(0, end), s.substr(end, next - end)});
    s.remove_prefix(next);
  }
  return out;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The written file against the old one: the lines the two share at the front and at
// the back (an old last line without line end may have gained one) leave at most one
// old line and one or two new lines in the middle.
bool OnlyTheKeyLineChanged(std::string_view before, std::string_view after,
                           std::string_view stored) {
  const std::vector<Line> a = Lines(before), b = Lines(after);
  auto same = [&](std::size_t i, std::size_t j) {
    return a[i].text == b[j].text && (a[i].end == b[j].end || (i + 1 == a.size() && a[i].end.empty()));
  };
  std::size_t front = 0, back = 0;
  while (front < a.size() && front < b.size() && same(front, front)) ++front;
  while (back < a.size() - front && back < b.size() - front &&
         same(a.size() - 1 - back, b.size() - 1 - back))
    ++back;
  const std::size_t oldMiddle = a.size() - front - back, newMiddle = b.size() - front - back;
  if (oldMiddle == 0 && newMiddle == 0) return true;
  const std::string keyLine = "Norvik2=" + std::string(stored);
  if (oldMiddle == 0 && newMiddle == 1) return b[front].text == keyLine;
  if (oldMiddle == 0 && newMiddle == 2)
    return b[front].text == "[NorvikFolder]" && b[front + 1].text == keyLine &&
           b[front].end == b[front + 1].end;
  if (oldMiddle == 1 && newMiddle == 1) {
    // The old key line up to its value (the '=' and the blanks after it) is kept.
    const std::string_view old = a[front].text;
    std::size_t start = old.find('=');
    if (start == std::string_view::npos) return false;
    ++start;
    while (start < old.size() && (old[start] == ' ' || old[start] == '\t')) ++start;
    return a[front].end == b[front].end &&
           b[front].text == std::string(old.substr(0, start)) + std::string(stored);
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t valueLength = std::min<std::size_t>(data[0], input.size());
  const std::string_view value = input.substr(0, valueLength), before = input.substr(valueLength);

  const std::string file = (fuzzsupport::Scratch() / "NorvikPrefs.ini").string();
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(before.data(), before.size());
  FileMisc::WriteIniValue("NorvikFolder", "Norvik2", value, file);

  using namespace std::string_literals;
  const std::string_view stored = value.substr(0, value.find_first_of("\r\n\0"s));
  const std::string expected(TrimBlanks(stored).substr(0, 254));
  if (FileMisc::ReadIniValue("NorvikFolder", "Norvik2", file) != expected)
    fuzzsupport::Fail("the value written does not read back");
  if (!OnlyTheKeyLineChanged(before, ReadAll(file), stored))
    fuzzsupport::Fail("a line other than the key line changed");
  return 0;
}
