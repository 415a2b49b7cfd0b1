#include "fileservices/findfile.h"

#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "fileservices/lineloader.h"
#include "support/lines.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FindFileRecursive::FindFiles;
using FindFileRecursive::WildcardMatch;
using Paths = std::vector<std::string>;

TEST(WildcardMatch, grammar) {
  const std::tuple<const char*, const char*, bool> rows[] = {
      {"xPrefs.cs", "*Prefs.cs", true},
      {"Prefs.cs", "*Prefs.cs", true},
      {"xprefs.cs", "*Prefs.cs", false},  // letter case counts
      {"xPrefs.CS", "*Prefs.cs", false},
      {"xPrefs.cs.bak", "*Prefs.cs", false},
      {"", "*", true},
      {"", "?", false},
      {"ab", "?", false},
      {"ab", "??", true},
      {"a7", "a#", true},
      {"ax", "a#", false},
      {"c", "[a-c]", true},
      {"d", "[a-c]", false},
      {"b", "[c-a]", true},  // a reversed range is the same range
      {"d", "[!a-c]", true},
      {"b", "[!a-c]", false},
      {"-", "[-a]", true},  // '-' first or last in a list is a member
      {"-", "[a-]", true},
      {"b", "[a-]", false},
      {"[x", "[x", true},  // '[' without ']' is literal
      {"x", "[]", false},  // an empty list matches nothing
      {"x", "[!]", true},  // its negation any one character
      {"]", "]", true},
      {"*", "[*]", true},
      {"a", "[*]", false},
      {"#", "[#]", true},
      {"\xE9", "[\xE0-\xFF]", true},  // bytes compare unsigned
      {"c:\\a\\b\\", "*\\b\\", true},
      {"aXbXc", "a*b*c", true},
      {"abcabd", "*ab?", true},
      {"abc", "a**", true},
      {"abc", "*c*d", false},
  };
  for (const auto& [text, pattern, match] : rows)
    EXPECT_EQ(WildcardMatch(text, pattern), match) << text << " ~ " << pattern;
}

// Guards against backtracking that grows exponentially with the number of stars.
TEST(WildcardMatch, manyStars_failFast) {
  EXPECT_FALSE(WildcardMatch(std::string(5000, 'a'), "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(StripNul, cutsAtTheFirstNul) {
  using namespace std::string_literals;
  EXPECT_EQ(FindFileRecursive::StripNul("abc\0def"s), "abc");
  EXPECT_EQ(FindFileRecursive::StripNul("\0abc"s), "");
  EXPECT_EQ(FindFileRecursive::StripNul("abc"), "abc");
}

// Every file of a tree holds its own path below the throw-away folder, so loading a found
// path tells which file it reaches.
void File(const fs::path& root, const std::string& relative) {
  fs::create_directories((root / relative).parent_path());
  std::ofstream(root / relative, std::ios::binary) << relative;
}

struct TreeRow {
  const char* name;
  std::function<void(const fs::path& root)> layout;  // the search runs on root/g
  // Found paths below g, each with the file it reaches ("" for one that cannot be read).
  std::vector<std::pair<std::string, std::string>> found;
  const char* folderPattern = "*";
};

std::vector<std::pair<std::string, std::string>> FanOut(int levels) {
  std::vector<std::pair<std::string, std::string>> found;
  for (int level = levels - 1; level > 0; --level) {
    std::string name = "d0\\";
    for (int i = 0; i < level; ++i) name += "l1\\";
    found.push_back({name + "xPrefs.cs", "h/d" + std::to_string(level) + "/xPrefs.cs"});
  }
  found.push_back({"d0\\xPrefs.cs", "g/d0/xPrefs.cs"});
  return found;
}

void PrintTo(const TreeRow& row, std::ostream* out) { *out << row.name; }

const TreeRow kTrees[] = {
    {"depthFirstInCaseInsensitiveOrder_matchingFilesOnly",
     [](const fs::path& r) {
       for (const char* f : {"g/b/bPrefs.cs", "g/A/sub/deepPrefs.cs", "g/A/aPrefs.cs", "g/cPrefs.cs",
                             "g/Prefs.cs", "g/xprefs.cs", "g/y.PREFS.CS", "g/folderPrefs.cs/innerPrefs.cs",
                             "g/empty/x.txt", "g/\xE9Prefs.cs", "g/\xC3\x84Prefs.cs"})
         File(r, f);
     },
     {{"A\\aPrefs.cs", "g/A/aPrefs.cs"},
      {"A\\sub\\deepPrefs.cs", "g/A/sub/deepPrefs.cs"},
      {"b\\bPrefs.cs", "g/b/bPrefs.cs"},
      {"cPrefs.cs", "g/cPrefs.cs"},
      {"folderPrefs.cs\\innerPrefs.cs", "g/folderPrefs.cs/innerPrefs.cs"},
      {"Prefs.cs", "g/Prefs.cs"},
      {"\xC4Prefs.cs", "g/\xC3\x84Prefs.cs"},  // names come back as code-page text
      {"\xE9Prefs.cs", "g/\xE9Prefs.cs"}}},
    {"folderPatternTestsTheFolderText",
     [](const fs::path& r) {
       File(r, "g/aPrefs.cs");
       File(r, "g/sub/bPrefs.cs");
     },
     {{"sub\\bPrefs.cs", "g/sub/bPrefs.cs"}},
     "*\\sub\\"},
    // Guards against endless recursion through links that point back up.
    {"linkLoopsEnd_linkedFoldersAreSearched",
     [](const fs::path& r) {
       File(r, "g/a/aPrefs.cs");
       File(r, "g/x/xPrefs.cs");
       File(r, "g/y/yPrefs.cs");
       fs::create_directory_symlink("..", r / "g/a/up");
       fs::create_directory_symlink(".", r / "g/self");
       fs::create_directory_symlink("../y", r / "g/x/toY");
       fs::create_directory_symlink("../x", r / "g/y/toX");
     },
     {{"a\\aPrefs.cs", "g/a/aPrefs.cs"},
      {"x\\toY\\yPrefs.cs", "g/y/yPrefs.cs"},
      {"x\\xPrefs.cs", "g/x/xPrefs.cs"},
      {"y\\yPrefs.cs", "g/y/yPrefs.cs"}}},
    // Guards against links that lead to one folder along many ways multiplying the work:
    // two links per level, forty levels, were 2^40 folders to walk.
    {"linkFanOutIsWalkedOnce",
     [](const fs::path& r) {
       File(r, "g/d0/xPrefs.cs");
       for (const char* link : {"l1", "l2"}) fs::create_directory_symlink("../../h/d1", r / "g/d0" / link);
       for (int level = 1; level < 40; ++level) {
         const std::string folder = "h/d" + std::to_string(level);
         File(r, folder + "/xPrefs.cs");
         if (level + 1 < 40)
           for (const char* link : {"l1", "l2"})
             fs::create_directory_symlink("../d" + std::to_string(level + 1), r / folder / link);
       }
     },
     FanOut(40)},
    // Guards against losing what lies below the depth at which folders are opened by path.
    {"threeHundredLevelsDeep",
     [](const fs::path& r) {
       std::string deep = "g";
       for (int i = 0; i < 300; ++i) deep += "/d";
       File(r, deep + "/deepPrefs.cs");
       fs::create_directory_symlink(".", r / deep / "loop");
       File(r, "g/zPrefs.cs");
     },
     {{[] { std::string s; for (int i = 0; i < 300; ++i) s += "d\\"; return s + "deepPrefs.cs"; }(),
       [] { std::string s = "g/"; for (int i = 0; i < 300; ++i) s += "d/"; return s + "deepPrefs.cs"; }()},
      {"zPrefs.cs", "g/zPrefs.cs"}}},
    {"fifosDevicesAndDanglingLinksAreNoFiles",
     [](const fs::path& r) {
       fs::create_directories(r / "g");
       mkfifo((r / "g/fifoPrefs.cs").c_str(), 0644);
       fs::create_symlink("/dev/zero", r / "g/zeroPrefs.cs");
       fs::create_symlink("nowhere", r / "g/danglingPrefs.cs");
       File(r, "g/realPrefs.cs");
       fs::create_symlink("realPrefs.cs", r / "g/linkPrefs.cs");
     },
     {{"linkPrefs.cs", "g/realPrefs.cs"}, {"realPrefs.cs", "g/realPrefs.cs"}}},
    {"newlineInName", [](const fs::path& r) { File(r, "g/new\nlinePrefs.cs"); },
     {{"new\nlinePrefs.cs", "g/new\nlinePrefs.cs"}}},
    // Guards against "..\outPrefs.cs" in the game folder opening (and saving) the file
    // outside it: no program path can name a name that holds a backslash.
    {"backslashInName",
     [](const fs::path& r) {
       for (const char* f : {"g/a\\bPrefs.cs", "g/..\\outPrefs.cs", "outPrefs.cs",
                             "g/sub\\dir/innerPrefs.cs", "g/zPrefs.cs"})
         File(r, f);
     },
     {{"zPrefs.cs", "g/zPrefs.cs"}}},
    {"nameOutsideTheCodePage", [](const fs::path& r) { File(r, "g/\xE6\x97\xA5Prefs.cs"); },
     {{"?Prefs.cs", "g/\xE6\x97\xA5Prefs.cs"}}},
    {"missingFolder", [](const fs::path&) {}, {}},
};

// Searches root/g, then loads every path found. Empty when all went as the row says.
std::string SearchAndLoad(const TreeRow& row, const fs::path& root) {
  const std::string top = testsupport::ProgramPath(root / "g") + "\\";
  std::string folder = top;
  Paths results = {"kept"};
  FindFiles(folder, row.folderPattern, "*Prefs.cs", results);
  Paths expected = {"kept"};
  for (const auto& [name, file] : row.found) expected.push_back(top + name);
  if (folder != top || results != expected) {
    std::string got = "found:";
    for (const std::string& path : results) got += " [" + path + "]";
    return got;
  }
  for (std::size_t i = 0; i < row.found.size(); ++i) {
    testsupport::CollectingSink sink;
    const bool loaded = FileMisc::LoadLinesIntoList(results[i + 1], sink) == FileMisc::LoadResult::Complete;
    std::string reached;  // the file's own path, which may hold a line break
    for (const std::string& line : sink.lines) reached += (reached.empty() ? "" : "\n") + line;
    if (!loaded) reached = "";
    if (reached != row.found[i].second) return row.found[i].first + " reached " + reached;
  }
  return {};
}

class Trees : public ::testing::TestWithParam<TreeRow> {};

TEST_P(Trees, searchFindsEachMatchingFileOnceAndItOpens) {
  testsupport::TempDir dir;
  GetParam().layout(dir.path());
  EXPECT_EQ(SearchAndLoad(GetParam(), dir.path()), "");
}

INSTANTIATE_TEST_SUITE_P(FindFiles, Trees, ::testing::ValuesIn(kTrees),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindFiles, folderGetsOneBackslash_invalidFoldersAddNothing) {
  const std::pair<std::string, std::string> rows[] = {
      {"c:\\nothing", "c:\\nothing\\"}, {"gamedata\\", "gamedata\\"}, {"", "\\"}};
  for (auto [folder, completed] : rows) {
    Paths results;
    FindFiles(folder, "*", "*", results);
    EXPECT_TRUE(results.empty()) << folder;
    EXPECT_EQ(folder, completed);
  }
}

TEST(FindFiles, unreadableFoldersAndFiles_areSkippedAsAUser) {
  testsupport::TempDir dir;
  for (const char* f : {"g/aPrefs.cs", "g/locked/lockedPrefs.cs", "g/secretPrefs.cs", "g/zPrefs.cs"})
    File(dir.path(), f);
  chmod((dir.path() / "g/locked").c_str(), 0);
  chmod((dir.path() / "g/secretPrefs.cs").c_str(), 0);
  chmod(dir.path().c_str(), 0755);
  const TreeRow row{"", nullptr,
                    {{"aPrefs.cs", "g/aPrefs.cs"}, {"secretPrefs.cs", ""}, {"zPrefs.cs", "g/zPrefs.cs"}}};
  const std::optional<bool> ok =
      testsupport::runWithoutRoot([&] { return SearchAndLoad(row, dir.path()).empty(); });
  if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
  EXPECT_TRUE(*ok);
}

}  // namespace
