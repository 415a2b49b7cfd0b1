#include <sys/stat.h>

#include "fileservices/lineloader.h"
#include "support/tempdir.h"

namespace {

using FileMisc::LoadLinesIntoList;
using FileMisc::LoadResult;
using Lines = std::vector<std::string>;

class RecordingSink : public FileMisc::LineSink {
 public:
  void AddItem(std::string_view line) override { items.emplace_back(line); }
  bool DoEvents() override { return ++events != stopAt; }
  Lines items;
  int events = 0;
  int stopAt = -1;
};

class LineLoader : public ::testing::Test {
 protected:
  LoadResult Load(std::string_view bytes) {
    return LoadLinesIntoList(dir_.writeFile("xPrefs.cs", bytes).string(), sink_);
  }
  testsupport::TempDir dir_;
  RecordingSink sink_;
};

TEST_F(LineLoader, splitsLinesAndDropsBlankOnes) {
  using namespace std::string_literals;
  const struct {
    std::string bytes;
    Lines items;
    int events;
  } cases[] = {
      {"", {}, 0},
      {"  \r\n\r\n \n", {}, 3},
      {"\t\r\n", {"\t"}, 1},                          // tabs are not blank
      {" a \r\nb\rc\nd", {" a ", "b", "c", "d"}, 4},  // CR LF, CR, LF, none at end
      {"a\n\rb\r\n", {"a", "b"}, 3},                  // LF then CR: two ends
      {"x\0y\x80\xFF\r\n"s, {"x\0y\x80\xFF"s}, 1},    // bytes pass through
      {"a\r\n\r\n", {"a"}, 2},
  };
  for (const auto& c : cases) {
    sink_ = RecordingSink{};
    sink_.items = {"before"};
    EXPECT_EQ(Load(c.bytes), LoadResult::Complete);
    Lines expected = {"before"};
    expected.insert(expected.end(), c.items.begin(), c.items.end());
    EXPECT_EQ(sink_.items, expected) << c.bytes;
    EXPECT_EQ(sink_.events, c.events) << c.bytes;
  }
}

// Guards against a CR LF split by the end of a read being taken as two line ends.
TEST_F(LineLoader, lineEndAcrossReadBoundary_isOneTerminator) {
  const std::string first((1 << 20) - 1, 'a');
  EXPECT_EQ(Load(first + "\r\nb"), LoadResult::Complete);
  EXPECT_EQ(sink_.items, (Lines{first, "b"}));
  EXPECT_EQ(sink_.events, 2);
}

TEST_F(LineLoader, tenMegabyteLine_isOneItem) {
  const std::string line(10 << 20, 'x');
  EXPECT_EQ(Load("a\n" + line + "\nb"), LoadResult::Complete);
  ASSERT_EQ(sink_.items.size(), 3u);
  EXPECT_EQ(sink_.items[1], line);
}

// Guards against adding a line after a handler run by DoEvents asked the load to stop.
TEST_F(LineLoader, sinkStops_noLineAddedAfterTheStop) {
  sink_.stopAt = 2;
  EXPECT_EQ(Load("one\ntwo\nthree\n"), LoadResult::Stopped);
  EXPECT_EQ(sink_.items, Lines{"one"});
}

// Guards against hanging in open() on a FIFO that nobody writes to.
TEST_F(LineLoader, fifoFolderMissingOrHugeFile_areRefused) {
  const std::string fifo = (dir_.path() / "fifoPrefs.cs").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(LoadLinesIntoList(fifo, sink_), LoadResult::OpenFailed);
  EXPECT_EQ(LoadLinesIntoList(dir_.path().string(), sink_), LoadResult::OpenFailed);
  EXPECT_EQ(LoadLinesIntoList((dir_.path() / "missing").string(), sink_), LoadResult::OpenFailed);
  EXPECT_EQ(LoadLinesIntoList("relative\\xPrefs.cs", sink_), LoadResult::OpenFailed);
  const std::filesystem::path huge = dir_.writeFile("hugePrefs.cs", "");
  std::filesystem::resize_file(huge, FileMisc::kMaxLoadBytes + 1);  // sparse: costs no disk
  EXPECT_EQ(LoadLinesIntoList(huge.string(), sink_), LoadResult::TooLarge);
  EXPECT_TRUE(sink_.items.empty());
}

}  // namespace
