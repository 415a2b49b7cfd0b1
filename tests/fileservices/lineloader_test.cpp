#include "fileservices/lineloader.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <fstream>

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

// Guards against a save writing over another program's change unasked (also one of the
// same size within the same second), and against asking after a touch alone.
TEST(LineLoader, theStampTellsAnotherProgramsChangeFromATouch) {
  using FileMisc::DiskState;
  const std::string old = "a;\r\n" + std::string(3 << 19, 'x') + "\r\n";  // more than one read
  std::string other = old;
  other[old.size() - 3] = 'y';
  testsupport::TempDir dir;
  const fs::path file = dir.path() / "xPrefs.cs";
  const auto replaceBy = [&](const std::string& bytes) { fs::rename(dir.writeFile("new", bytes), file); };
  const std::pair<std::function<void()>, DiskState> rows[] = {
      {[] {}, DiskState::AsRead}, {[&] { fs::last_write_time(file, fs::last_write_time(file) + std::chrono::hours(1)); }, DiskState::AsRead},
      {[&] { const auto time = fs::last_write_time(file); std::ofstream(file, std::ios::binary) << other; fs::last_write_time(file, time); }, DiskState::Changed},
      {[&] { replaceBy(other); }, DiskState::Changed}, {[&] { replaceBy(old); }, DiskState::AsRead}, {[&] { replaceBy(old + "z"); }, DiskState::Changed},
      {[&] { fs::remove(file); }, DiskState::Gone},
  };
  for (const auto& [change, state] : rows) {
    dir.writeFile("xPrefs.cs", old);
    testsupport::CollectingSink sink;
    FileMisc::ContentStamp stamp;
    ASSERT_EQ(FileMisc::LoadLinesIntoList(testsupport::ProgramPath(file), sink, &stamp), LoadResult::Complete);
    change();
    EXPECT_EQ(FileMisc::CompareWithDisk(testsupport::ProgramPath(file), stamp), state) << &change - &rows[0].first;
  }
  // The digest does not depend on how the bytes come, and any byte counts.
  const auto digest = [](std::string_view bytes, std::size_t cut) {
    FileMisc::ContentDigest pieces;
    pieces.Add(bytes.data(), cut);
    pieces.Add(bytes.data() + cut, bytes.size() - cut);
    return pieces.Value();
  };
  for (const std::size_t cut : {1, 31, 32, 33, 70})
    EXPECT_TRUE(digest(old, cut) == digest(old, 0) && digest(old, 0) != digest(other, cut)) << cut;
}

}  // namespace
