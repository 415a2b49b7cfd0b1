// WriteIniValue then ReadIniValue on any settings file and any value: the read gives the
// value back (as far as it can be stored: cut at CR, LF or NUL, blanks around it dropped,
// at most 254 characters), and the file is the old one with one key line replaced or
// added (with its section line when that was missing). Every other line stays byte for
// byte. Input: one byte n, then n bytes of value, then the old file.

#include <cstdint>
#include <vector>

#include "fileservices/settingsfile.h"
#include "scaffold.h"

namespace {

struct Line {
  std::string_view text, end;
};

std::vector<Line> Lines(std::string_view s) {
  std::vector<Line> out;
  while (!s.empty()) {
    const std::size_t end = std::min(s.find_first_of("\r\n"), s.size());
    const std::size_t next = end + (end == s.size() ? 0 : s.substr(end, 2) == "\r\n" ? 2 : 1);
    out.push_back({s.substr(0, end), s.substr(end, next - end)});
    s.remove_prefix(next);
  }
  return out;
}

// The lines the two share at the front and at the back (an old last line without line
// end may have gained one) leave at most one old line and one or two new lines between.
bool OnlyTheKeyLineChanged(std::string_view before, std::string_view after, std::string_view stored) {
  const std::vector<Line> a = Lines(before), b = Lines(after);
  auto same = [&](std::size_t i, std::size_t j) {
    return a[i].text == b[j].text && (a[i].end == b[j].end || (i + 1 == a.size() && a[i].end.empty()));
  };
  std::size_t front = 0, back = 0;
  while (front < a.size() && front < b.size() && same(front, front)) ++front;
  while (back < a.size() - front && back < b.size() - front && same(a.size() - 1 - back, b.size() - 1 - back)) ++back;
  const std::size_t oldMiddle = a.size() - front - back, newMiddle = b.size() - front - back;
  const std::string keyLine = "Norvik2=" + std::string(stored);
  if (oldMiddle == 0) {
    return newMiddle == 0 || (newMiddle == 1 && b[front].text == keyLine) ||
           (newMiddle == 2 && b[front].text == "[NorvikFolder]" && b[front + 1].text == keyLine &&
            b[front].end == b[front + 1].end);
  }
  if (oldMiddle != 1 || newMiddle != 1 || a[front].end != b[front].end) return false;
  // The old key line up to its value (the '=' and the blanks after it) is kept.
  const std::string_view old = a[front].text;
  std::size_t start = old.find('=');
  if (start == std::string_view::npos) return false;
  while (++start < old.size() && (old[start] == ' ' || old[start] == '\t')) {
  }
  return b[front].text == std::string(old.substr(0, start)) + std::string(stored);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view value = input.substr(0, data[0]), before = input.substr(value.size());
  const std::filesystem::path file = fuzzsupport::Scratch() / "NorvikPrefs.ini";
  fuzzsupport::WriteFile(file, before);
  FileMisc::WriteIniValue("NorvikFolder", "Norvik2", value, file.native());

  const std::string_view stored = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
  std::string_view expected = stored.substr(0, stored.find_last_not_of(" \t") + 1);
  expected.remove_prefix(std::min(expected.find_first_not_of(" \t"), expected.size()));
  if (FileMisc::ReadIniValue("NorvikFolder", "Norvik2", file.native()) != expected.substr(0, 254))
    fuzzsupport::Fail("the value written does not read back");
  if (!OnlyTheKeyLineChanged(before, fuzzsupport::ReadFile(file), stored))
    fuzzsupport::Fail("a line other than the key line changed");
  return 0;
}
