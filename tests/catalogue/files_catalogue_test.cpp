// Bad game folders, on purpose, through the file services the window uses: the search
// below c:\g, then a load and a save of every file it found. Each row states which
// files are found, in order, and which of them open; a file that opens is saved with
// one line added (once per path that reaches it), and nothing else in the throw-away
// tree may change.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "catalogue/tree_snapshot.h"
#include "fileservices/lineloader.h"
#include "fileservices/safefilewriter.h"
#include "fileservices/findfile.h"
#include "support/tempdir.h"

namespace fs = std::filesystem;

namespace {

struct Found {
  std::string name;  // below c:\g\, as the search gives it
  std::string host;  // the file it must open, below the throw-away folder; empty: none
};

struct FolderRow {
  const char* name;
  std::function<void(const fs::path& g)> layout;
  std::vector<Found> found;
  bool asUser = false;  // run as a user other than root, so permission bits count
};

void File(const fs::path& path, const std::string& bytes = "a;\r\n") {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Deep(const char* separator, int levels) {
  std::string path;
  for (int i = 0; i < levels; ++i) path += std::string("d") + separator;
  return path;
}

// d0 and, through its first link, d1 to d(levels - 1), deepest first.
std::vector<Found> FanOut(int levels) {
  std::vector<Found> found;
  for (int level = levels - 1; level > 0; --level) {
    std::string name = "d0\\";
    for (int i = 0; i < level; ++i) name += "l1\\";
    found.push_back({name + "xPrefs.cs", "drive_c/h/d" + std::to_string(level) + "/xPrefs.cs"});
  }
  found.push_back({"d0\\xPrefs.cs", "drive_c/g/d0/xPrefs.cs"});
  return found;
}

const FolderRow kFolderRows[] = {
    {"symbolicLinkLoops",
     [](const fs::path& g) {
       File(g / "a/aPrefs.cs");
       File(g / "x/xPrefs.cs");
       File(g / "y/yPrefs.cs");
       fs::create_directory_symlink("..", g / "a/up");
       fs::create_directory_symlink(".", g / "self");
       fs::create_directory_symlink("../y", g / "x/toY");
       fs::create_directory_symlink("../x", g / "y/toX");
     },
     {{"a\\aPrefs.cs", "drive_c/g/a/aPrefs.cs"},
      {"x\\toY\\yPrefs.cs", "drive_c/g/y/yPrefs.cs"},
      {"x\\xPrefs.cs", "drive_c/g/x/xPrefs.cs"},
      {"y\\yPrefs.cs", "drive_c/g/y/yPrefs.cs"}}},
    // Guards against links that lead to one folder along many ways multiplying the work:
    // two links per level, forty levels, were 2^40 folders to walk.
    {"symbolicLinkFanOut",
     [](const fs::path& g) {
       File(g / "d0/xPrefs.cs");
       for (const char* link : {"l1", "l2"}) fs::create_directory_symlink("../../h/d1", g / "d0" / link);
       for (int level = 1; level < 40; ++level) {
         const fs::path folder = g / "../h" / ("d" + std::to_string(level));
         File(folder / "xPrefs.cs");
         if (level + 1 < 40)
           for (const char* link : {"l1", "l2"})
             fs::create_directory_symlink("../d" + std::to_string(level + 1), folder / link);
       }
     },
     FanOut(40)},
    {"unreadableFolderAndFile",
     [](const fs::path& g) {
       File(g / "aPrefs.cs");
       File(g / "locked/lockedPrefs.cs");
       File(g / "secretPrefs.cs");
       File(g / "zPrefs.cs");
       chmod(g.c_str(), 0777);  // the user saves beside the files
       for (const char* name : {"aPrefs.cs", "zPrefs.cs"}) chmod((g / name).c_str(), 0666);
       chmod((g / "locked").c_str(), 0);
       chmod((g / "secretPrefs.cs").c_str(), 0);
     },
     {{"aPrefs.cs", "drive_c/g/aPrefs.cs"}, {"secretPrefs.cs", ""}, {"zPrefs.cs", "drive_c/g/zPrefs.cs"}},
     true},
    {"threeHundredLevelsDeep",
     [](const fs::path& g) {
       File(g / Deep("/", 300) / "deepPrefs.cs");
       File(g / "zPrefs.cs");
     },
     {{Deep("\\", 300) + "deepPrefs.cs", "drive_c/g/" + Deep("/", 300) + "deepPrefs.cs"},
      {"zPrefs.cs", "drive_c/g/zPrefs.cs"}}},
    {"fifoAndDevicesNamedLikePrefs",
     [](const fs::path& g) {
       fs::create_directories(g);
       mkfifo((g / "fifoPrefs.cs").c_str(), 0644);
       fs::create_symlink("/dev/zero", g / "zeroPrefs.cs");
       fs::create_symlink("/dev/null", g / "nullPrefs.cs");
       fs::create_symlink("nowhere", g / "danglingPrefs.cs");
     },
     {}},
    {"newlineInName", [](const fs::path& g) { File(g / "new\nlinePrefs.cs"); },
     {{"new\nlinePrefs.cs", "drive_c/g/new\nlinePrefs.cs"}}},
    // A backslash separates folders in the program's paths, so a name holding one cannot
    // be named. Guards against "..\\outPrefs.cs" in the game folder opening and saving
    // c:\outPrefs.cs, outside the game folder.
    {"backslashInName",
     [](const fs::path& g) {
       File(g / "a\\bPrefs.cs");
       File(g / "..\\outPrefs.cs");
       File(g / "../outPrefs.cs");
       File(g / "sub\\dir/innerPrefs.cs");
       File(g / "zPrefs.cs");
     },
     {{"zPrefs.cs", "drive_c/g/zPrefs.cs"}}},
    {"nameNotUtf8", [](const fs::path& g) { File(g / "\xE9t\xE9Prefs.cs"); },
     {{"\xE9t\xE9Prefs.cs", "drive_c/g/\xE9t\xE9Prefs.cs"}}},
    {"nameOutsideCodePage", [](const fs::path& g) { File(g / "\xE6\x97\xA5Prefs.cs"); },
     {{"?Prefs.cs", "drive_c/g/\xE6\x97\xA5Prefs.cs"}}},
};

class Collect final : public FileMisc::LineSink {
 public:
  void AddItem(std::string_view line) override { lines.emplace_back(line); }
  bool DoEvents() override { return true; }
  std::vector<std::string> lines;
};

// Searches, then loads and saves every file found. Empty when all went as the row says.
std::string SearchOpenSave(const FolderRow& row) {
  std::string folder = "c:\\g";
  std::vector<std::string> results, expected;
  FindFileRecursive::FindFiles(folder, "*", "*Prefs.cs", results);
  for (const Found& f : row.found) expected.push_back("c:\\g\\" + f.name);
  if (results != expected) {
    std::string found = "the search found:";
    for (const std::string& path : results) found += " [" + path + "]";
    return found;
  }
  for (std::size_t i = 0; i < results.size(); ++i) {
    const Found& f = row.found[i];
    Collect sink;
    const FileMisc::LoadResult loaded = FileMisc::LoadLinesIntoList(results[i], sink);
    FileMisc::SafeFileWriter writer(results[i]);
    if (f.host.empty()) {
      if (loaded != FileMisc::LoadResult::OpenFailed || writer.ok()) return f.name + " opened";
      continue;
    }
    if (loaded != FileMisc::LoadResult::Complete) return f.name + " did not load";
    sink.lines.push_back("added;");
    for (const std::string& line : sink.lines) writer.WriteLine(line);
    if (!writer.Commit()) return f.name + " did not save";
  }
  return {};
}

void PrintTo(const FolderRow& row, std::ostream* out) { *out << row.name; }

class GameFolder : public testsupport::DriveFixture,
                   public ::testing::WithParamInterface<FolderRow> {};

TEST_P(GameFolder, searchOpenSave) {
  const FolderRow& row = GetParam();
  row.layout(makeDrive('c') / "g");
  const testsupport::TreeSnapshot before = testsupport::TakeSnapshot(dir_.path());

  if (row.asUser) {
    chmod(dir_.path().c_str(), 0755);
    const std::optional<bool> ok = testsupport::runWithoutRoot([&row] { return SearchOpenSave(row).empty(); });
    if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
    EXPECT_TRUE(*ok);
  } else {
    EXPECT_EQ(SearchOpenSave(row), "");
  }

  std::set<std::string> saved;
  for (const Found& f : row.found)
    if (!f.host.empty()) saved.insert(f.host);
  const testsupport::TreeSnapshot after = testsupport::TakeSnapshot(dir_.path());
  EXPECT_EQ(testsupport::ChangedPaths(before, after),
            std::vector<std::string>(saved.begin(), saved.end()));
  for (const std::string& host : saved)
    EXPECT_TRUE(testsupport::readFile(dir_.path() / host).starts_with("a;\r\nadded;\r\n")) << host;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, GameFolder, ::testing::ValuesIn(kFolderRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
