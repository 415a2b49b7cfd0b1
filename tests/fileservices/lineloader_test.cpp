#include "fileservices/lineloader.h"

#include <sys/stat.h>

#include "support/lines.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FileMisc::LoadLinesIntoList;
using FileMisc::LoadResult;
using Lines = std::vector<std::string>;

LoadResult Load(const fs::path& file, testsupport::CollectingSink& sink) {
  return LoadLinesIntoList(testsupport::ProgramPath(file), sink);
}

// Lines end at CR LF, CR or LF; blank lines (only spaces) are read but not added; every
// other byte passes through. One round of events per line read, blank or not.
TEST(LineLoader, readsTheNonBlankLinesInFileOrder) {
  using namespace std::string_literals;
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
  const std::string half((1 << 20) - 1, 'a');  // a CR LF split by the end of a read
  const std::tuple<std::string, Lines, int> rows[] = {
      {"", {}, 0},
      {"  \r\n\r\n \n", {}, 3},
      {"\t\r\n", {"\t"}, 1},
      {" a \r\nb\rc\nd", {" a ", "b", "c", "d"}, 4},
      {"a\n\rb\r\n", {"a", "b"}, 3},  // LF then CR: two ends
      {"a;\r\n\r\n", {"a;"}, 2},
      {"x\0y\x80\xFF\r\n"s, {"x\0y\x80\xFF"s}, 1},
      {everyByte, testsupport::NonBlankLines(everyByte), 3},
      {"a\r" + std::string(3 << 20, 'x') + "\nb", {"a", std::string(3 << 20, 'x'), "b"}, 3},
      // Guards against a CR LF split by the end of a read being taken as two line ends.
      {half + "\r\nb", {half, "b"}, 2},
      {half + "\r\r\nb", {half, "b"}, 3},
  };
  testsupport::TempDir dir;
  for (const auto& [bytes, lines, events] : rows) {
    testsupport::CollectingSink sink;
    sink.lines = {"before"};
    EXPECT_EQ(Load(dir.writeFile("xPrefs.cs", bytes), sink), LoadResult::Complete);
    Lines expected = {"before"};
    expected.insert(expected.end(), lines.begin(), lines.end());
    EXPECT_TRUE(sink.lines == expected) << bytes.substr(0, 40);
    EXPECT_EQ(sink.events, events) << bytes.substr(0, 40);
  }
}

// Guards against adding a line after a handler run by the events asked the load to stop.
TEST(LineLoader, stopsWhenTheEventsSaySo_addingNothingAfter) {
  testsupport::TempDir dir;
  testsupport::CollectingSink sink;
  sink.stopAt = 2;
  EXPECT_EQ(Load(dir.writeFile("xPrefs.cs", "one\ntwo\nthree\n"), sink), LoadResult::Stopped);
  EXPECT_EQ(sink.lines, Lines{"one"});
}

// Guards against hanging in open() on a FIFO nobody writes to, and against reading a
// device or a file too large for the list.
TEST(LineLoader, whatIsNoReadablePrefsFile_isRefusedUnread) {
  testsupport::TempDir dir;
  const fs::path fifo = dir.path() / "fifoPrefs.cs";
  mkfifo(fifo.c_str(), 0644);
  fs::create_symlink("/dev/zero", dir.path() / "zeroPrefs.cs");
  const fs::path huge = dir.writeFile("hugePrefs.cs", "");
  fs::resize_file(huge, FileMisc::kMaxLoadBytes + 1);  // sparse: costs no disk
  const std::pair<std::string, LoadResult> rows[] = {
      {testsupport::ProgramPath(fifo), LoadResult::OpenFailed},
      {testsupport::ProgramPath(dir.path() / "zeroPrefs.cs"), LoadResult::OpenFailed},
      {testsupport::ProgramPath(dir.path()), LoadResult::OpenFailed},
      {testsupport::ProgramPath(dir.path() / "missing"), LoadResult::OpenFailed},
      {"relative\\xPrefs.cs", LoadResult::OpenFailed},
      {testsupport::ProgramPath(huge), LoadResult::TooLarge},
  };
  for (const auto& [path, result] : rows) {
    testsupport::CollectingSink sink;
    EXPECT_EQ(LoadLinesIntoList(path, sink), result) << path;
    EXPECT_TRUE(sink.lines.empty());
  }
}

}  // namespace
