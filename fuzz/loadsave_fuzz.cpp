// Load then save of an unedited prefs file: LoadLinesIntoList reads every line,
// SafeFileWriter writes the lines back, and the file then holds the original's
// non-blank lines (blank: nothing but spaces), each ended by CR LF, byte for byte.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fileservices/lineloader.h"
#include "fileservices/safefilewriter.h"
#include "scratch.h"

namespace {

class Collect final : public FileMisc::LineSink {
 public:
  void AddItem(std::string_view line) override { lines.emplace_back(line); }
  bool DoEvents() override { return true; }
  std::vector<std::string> lines;
};

// Lines end at CR LF, CR or LF.
std::string Expected(std::string_view original) {
  std::string out, line;
  auto flush = [&] {
    if (line.find_first_not_of(' ') != std::string::npos) out += line + "\r\n";
    line.clear();
  };
  for (std::size_t i = 0; i < original.size(); ++i) {
    const char c = original[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < original.size() && original[i + 1] == '\n') ++i;
      flush();
    } else {
      line += c;
    }
  }
  flush();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view original(reinterpret_cast<const char*>(data), size);
  const std::string file = (fuzzsupport::Scratch() / "xPrefs.cs").string();
  std::ofstream(file, std::ios::binary | std::ios::trunc).write(original.data(), original.size());

  Collect sink;
  if (FileMisc::LoadLinesIntoList(file, sink) != FileMisc::LoadResult::Complete)
    fuzzsupport::Fail("a readable file did not load completely");
  FileMisc::SafeFileWriter writer(file);
  for (const std::string& line : sink.lines)
    if (!writer.WriteLine(line)) fuzzsupport::Fail("writing a line failed");
  if (!writer.Commit()) fuzzsupport::Fail("the save did not commit");

  std::ifstream in(file, std::ios::binary);
  const std::string saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (saved != Expected(original)) fuzzsupport::Fail("the saved file is not the loaded one");
  return 0;
}
