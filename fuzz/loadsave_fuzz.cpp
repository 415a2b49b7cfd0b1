// Load then save of an unedited prefs file: the file then holds the original's non-blank
// lines, each ended by CR LF, byte for byte.

#include <cstdint>

#include "fileservices/lineloader.h"
#include "fileservices/safefilewriter.h"
#include "scaffold.h"
#include "support/lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view original(reinterpret_cast<const char*>(data), size);
  const std::filesystem::path file = fuzzsupport::Scratch() / "xPrefs.cs";
  fuzzsupport::WriteFile(file, original);
  testsupport::CollectingSink sink;
  if (FileMisc::LoadLinesIntoList(file.string(), sink) != FileMisc::LoadResult::Complete)
    fuzzsupport::Fail("a readable file did not load completely");
  FileMisc::SafeFileWriter writer(file.string());
  for (const std::string& line : sink.lines)
    if (!writer.WriteLine(line)) fuzzsupport::Fail("writing a line failed");
  if (!writer.Commit()) fuzzsupport::Fail("the save did not commit");
  if (fuzzsupport::ReadFile(file) != testsupport::WithCrLf(testsupport::NonBlankLines(original)))
    fuzzsupport::Fail("the saved file is not the loaded one");
  return 0;
}
