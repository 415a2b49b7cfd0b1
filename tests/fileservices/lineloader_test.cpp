#include "fileservices/lineloader.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/lines.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FileMisc::LoadResult;
using Lines = std::vector<std::string>;

// Lines end at CR LF, CR or LF; blank lines (only spaces) are read but not added; every
// other byte passes through. One round of events per line read, blank or not.
TEST(LineLoader, readsTheNonBlankLinesInFileOrder) {
  using namespace std::string_literals;
  const std::string half((1 << 20) - 1, 'a'), big(3 << 20, 'x');
  const std::tuple<std::string, Lines, int> rows[] = {
      {"", {}, 0}, {"  \r\n\r\n \n", {}, 3}, {" a \r\nb\rc\nd", {" a ", "b", "c", "d"}, 4},
      {"a\n\rb\r\n", {"a", "b"}, 3}, {"x\0y\x80\xFF\r\n"s, {"x\0y\x80\xFF"s}, 1}, {"a\r" + big + "\nb", {"a", big, "b"}, 3},
      // Guards against a CR LF split by the end of a read being taken as two line ends.
      {half + "\r\nb", {half, "b"}, 2}, {half + "\r\r\nb", {half, "b"}, 3}, {half + "a\nb", {half + "a", "b"}, 2},
  };
  testsupport::TempDir dir;
  for (const auto& [bytes, lines, events] : rows) {
    testsupport::CollectingSink sink;
    sink.lines = {"before"};
    const fs::path file = dir.writeFile("xPrefs.cs", bytes);
    EXPECT_EQ(FileMisc::LoadLinesIntoList(testsupport::ProgramPath(file), sink), LoadResult::Complete);
    Lines expected = {"before"};
    expected.insert(expected.end(), lines.begin(), lines.end());
    EXPECT_TRUE(sink.lines == expected && sink.events == events) << bytes.substr(0, 40) << " " << sink.events;
  }
}

// Guards against hanging in open() on a FIFO nobody writes to, reading a device or a file
// too large for the list, and adding a line after the events asked the load to stop.
TEST(LineLoader, refusesWhatIsNoReadablePrefsFile_andStopsWhenTold) {
  testsupport::TempDir dir;
  fs::resize_file(dir.writeFile("huge", ""), FileMisc::kMaxLoadBytes + 1);  // sparse: costs no disk
  dir.writeFile("three", "one\ntwo\nthree\n");
#ifndef _WIN32
  mkfifo((dir.path() / "fifo").c_str(), 0644);
  fs::create_symlink("/dev/zero", dir.path() / "zero");
#endif
  const std::tuple<std::string, LoadResult, Lines> rows[] = {
      {"", LoadResult::OpenFailed, {}}, {"missing", LoadResult::OpenFailed, {}}, {"huge", LoadResult::TooLarge, {}},
      {"three", LoadResult::Stopped, {"one"}},
#ifndef _WIN32
      {"fifo", LoadResult::OpenFailed, {}}, {"zero", LoadResult::OpenFailed, {}},
#endif
  };
  for (const auto& [name, result, lines] : rows) {
    testsupport::CollectingSink sink;
    sink.stopAt = 2;
    EXPECT_EQ(FileMisc::LoadLinesIntoList(testsupport::ProgramPath(dir.path() / name), sink), result) << name;
    EXPECT_EQ(sink.lines, lines);
  }
  testsupport::CollectingSink sink;
  EXPECT_EQ(FileMisc::LoadLinesIntoList("relative\\three", sink), LoadResult::OpenFailed);
}

}  // namespace
