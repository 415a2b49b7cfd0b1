#include "fileservices/findfile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <fstream>
#include <regex>

#include "fileservices/lineloader.h"
#include "support/lines.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FindFileRecursive::FindFiles;
using FindFileRecursive::WildcardMatch;
using Paths = std::vector<std::string>;

// The grammar's cases are the wildcard fuzz target's seeds, replayed as a test.
TEST(WildcardMatch, manyStarsFailFast_stripNulCutsAtTheFirstNul) {
  // Guards against backtracking that grows exponentially with the number of stars.
  EXPECT_FALSE(WildcardMatch(std::string(5000, 'a'), "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_TRUE(FindFileRecursive::StripNul(std::string("ab\0c\0", 5)) == "ab" && FindFileRecursive::StripNul("abc") == "abc");
}

// Lays out a tree below `root`: "a/b" a file holding its own path, "a/l -> t" a symbolic
// link, "a/f |" a FIFO, "a/h +hs" a hidden system file in a hidden system folder (Windows).
// Folders come on the way. Wine makes no links: on Windows the links of a row are left out.
void Lay(const fs::path& root, const std::vector<std::string>& items) {
  for (const std::string& item : items) {
    const std::string name = item.substr(0, item.find(' ')), mark = item.substr(name.size());
    const fs::path path = root / testsupport::HostName(name);
    fs::create_directories(path.parent_path());
#ifdef _WIN32
    if (mark.starts_with(" -> ")) continue;
    std::ofstream(path, std::ios::binary) << name;
    if (mark == " +hs")
      for (const fs::path& marked : {path, path.parent_path()})
        SetFileAttributesW(marked.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
#else
    if (mark.starts_with(" -> ")) fs::create_symlink(mark.substr(4), path);
    else if (mark == " |") mkfifo(path.c_str(), 0644);
    else std::ofstream(path, std::ios::binary) << name;
#endif
  }
}

struct TreeRow {
  const char* name;
  std::vector<std::string> tree;  // below root; the search runs on root/g
  // Each path found below g, in order, with the file it opens when that is not g/ and
  // the path itself ("-" for one that does not open).
  std::vector<std::pair<std::string, std::string>> found;
  const char* folderPattern = "*";
};
void PrintTo(const TreeRow& row, std::ostream* out) { *out << row.name; }

#ifndef _WIN32
// Two links per level, both to the next level's folder, found through the first link.
TreeRow FanOut(const char* name, int levels) {
  TreeRow row{name, {"g/d0/xPrefs.cs"}, {{"d0\\xPrefs.cs", ""}}};
  std::string via = "d0\\";
  for (int level = 1; level < levels; ++level) {
    const std::string from = level == 1 ? "g/d0" : "h/d" + std::to_string(level - 1), to = "h/d" + std::to_string(level);
    const std::string target = (level == 1 ? "../../" : "../") + to.substr(level == 1 ? 0 : 2);
    row.tree.insert(row.tree.end(), {from + "/l1 -> " + target, from + "/l2 -> " + target, to + "/xPrefs.cs"});
    row.found.insert(row.found.begin(), {(via += "l1\\") + "xPrefs.cs", to + "/xPrefs.cs"});
  }
  return row;
}
#endif
std::string Deep(const char* separator) {
  std::string path;
  for (int i = 0; i < 300; ++i) path += std::string("d") + separator;
  return path;
}

const TreeRow kTrees[] = {
    {"depthFirstInCaseInsensitiveOrder_matchingFilesOnly",
     {"g/b/bPrefs.cs", "g/A/sub/deepPrefs.cs", "g/A/aPrefs.cs", "g/cPrefs.cs", "g/cAPrefs.cs", "g/Prefs.cs", "g/xprefs.cs",
      "g/y.PREFS.CS", "g/folderPrefs.cs/innerPrefs.cs", "g/empty/x.txt", "g/\xE9Prefs.cs", "g/\xC3\x84Prefs.cs"},
     {{"A\\aPrefs.cs", ""}, {"A\\sub\\deepPrefs.cs", ""}, {"b\\bPrefs.cs", ""}, {"cAPrefs.cs", ""}, {"cPrefs.cs", ""},
      {"folderPrefs.cs\\innerPrefs.cs", ""}, {"Prefs.cs", ""}, {"\xC4Prefs.cs", "g/\xC3\x84Prefs.cs"},
      {"\xE9Prefs.cs", ""}}},
    {"folderPatternTestsTheFolderText", {"g/aPrefs.cs", "g/sub/bPrefs.cs"}, {{"sub\\bPrefs.cs", ""}}, "*\\sub\\"},
    // Guards against losing what lies below the depth at which folders are opened by path
    // (on Windows: beyond the short path limit).
    {"threeHundredLevelsDeep", {"g/" + Deep("/") + "deepPrefs.cs", "g/" + Deep("/") + "loop -> .", "g/zPrefs.cs"},
     {{Deep("\\") + "deepPrefs.cs", ""}, {"zPrefs.cs", ""}}},
    // Guards against names outside the code page listing as "?Prefs.cs", each opening the first.
    {"nameOutsideTheCodePage", {"g/\xE6\x97\xA5Prefs.cs", "g/\xE6\x9C\x88Prefs.cs", "g/zPrefs.cs"}, {{"zPrefs.cs", ""}}},
    {"missingFolder", {}, {}},
#ifdef _WIN32
    {"hiddenAndSystemEntriesAreSearched", {"g/h/hPrefs.cs +hs"}, {{"h\\hPrefs.cs", ""}}},
#else
    // Guards against endless recursion through links that point back up.
    {"linkLoopsEnd_linkedFoldersAreSearched",
     {"g/a/aPrefs.cs", "g/x/xPrefs.cs", "g/y/yPrefs.cs", "g/a/up -> ..", "g/self -> .", "g/x/toY -> ../y",
      "g/y/toX -> ../x", "g/linkPrefs.cs -> x/xPrefs.cs"},
     {{"a\\aPrefs.cs", ""}, {"linkPrefs.cs", "g/x/xPrefs.cs"}, {"x\\toY\\yPrefs.cs", "g/y/yPrefs.cs"},
      {"x\\xPrefs.cs", ""}, {"y\\yPrefs.cs", ""}}},
    // Guards against links that lead to one folder along many ways multiplying the work:
    // two links per level, forty levels, were 2^40 folders to walk.
    FanOut("linkFanOutIsWalkedOnce", 40),
    {"fifosDevicesAndDanglingLinksAreNoFiles",
     {"g/fifoPrefs.cs |", "g/zeroPrefs.cs -> /dev/zero", "g/danglingPrefs.cs -> nowhere"}, {}},
    {"newlineInName", {"g/new\nlinePrefs.cs"}, {{"new\nlinePrefs.cs", ""}}},
    {"linkDeeperThanTheFoldersHeldOpen", {"g/" + Deep("/") + "aPrefs.cs", "g/" + Deep("/") + "bPrefs.cs -> aPrefs.cs"},
     {{Deep("\\") + "aPrefs.cs", ""}, {Deep("\\") + "bPrefs.cs", "g/" + Deep("/") + "aPrefs.cs"}}},
    // Guards against "..\outPrefs.cs" in the game folder opening (and saving) the file
    // outside it: no program path can name a name that holds a backslash.
    {"backslashInName", {"g/a\\bPrefs.cs", "g/..\\outPrefs.cs", "outPrefs.cs", "g/sub\\dir/inPrefs.cs", "g/zPrefs.cs"},
     {{"zPrefs.cs", ""}}},
#endif
};

// Searches root/g and loads every path found. Empty when all went as the row says.
std::string SearchAndLoad(const TreeRow& row, const fs::path& root) {
  const std::string top = testsupport::ProgramPath(root / "g") + "\\";
  std::string folder = top;
  Paths results = {"kept"}, expected = {"kept"};
  FindFiles(folder, row.folderPattern, "*Prefs.cs", results);
  for (const auto& [name, file] : row.found) expected.push_back(top + name);
  if (folder != top || results != expected) return "found: " + testsupport::Join(results, " | ");
  for (std::size_t i = 0; i < row.found.size(); ++i) {
    auto [name, file] = row.found[i];
    if (file.empty()) file = "g/" + std::regex_replace(name, std::regex("\\\\"), "/");
    testsupport::CollectingSink sink;
    if (FileMisc::LoadLinesIntoList(results[i + 1], sink) != FileMisc::LoadResult::Complete) sink.lines = {"-"};
    if (testsupport::Join(sink.lines, "\n") != file) return results[i + 1] + " opened wrong";
  }
  return {};
}

class Trees : public ::testing::TestWithParam<TreeRow> {};

TEST_P(Trees, searchFindsEachMatchingFileOnceAndItOpens) {
  testsupport::TempDir dir;
  Lay(dir.path(), GetParam().tree);
  EXPECT_EQ(SearchAndLoad(GetParam(), dir.path()), "");
}

INSTANTIATE_TEST_SUITE_P(FindFiles, Trees, ::testing::ValuesIn(kTrees),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindFiles, folderGetsOneBackslash_unreadableFoldersAndFilesAreSkipped) {
  for (auto [folder, completed] : {std::pair<std::string, std::string>{"c:\\nothing", "c:\\nothing\\"},
                                   {"gamedata\\", "gamedata\\"}, {"", "\\"}}) {
    Paths results;
    FindFiles(folder, "*", "*", results);
    EXPECT_TRUE(results.empty() && folder == completed) << folder;
  }
#ifndef _WIN32
  testsupport::TempDir dir;
  // Guards against a search that keeps a descriptor per folder it has left.
  for (int i = 0; i < 80; ++i) Lay(dir.path(), {"wide/d" + std::to_string(i) + "/s/xPrefs.cs"});
  rlimit limit{}, low{};
  getrlimit(RLIMIT_NOFILE, &limit);
  low = {48, limit.rlim_max};
  setrlimit(RLIMIT_NOFILE, &low);
  std::string wide = testsupport::ProgramPath(dir.path() / "wide");
  Paths found;
  FindFiles(wide, "*", "*Prefs.cs", found);
  setrlimit(RLIMIT_NOFILE, &limit);
  EXPECT_EQ(found.size(), 80u);
  Lay(dir.path(), {"g/aPrefs.cs", "g/locked/lockedPrefs.cs", "g/secretPrefs.cs", "g/zPrefs.cs"});
  chmod((dir.path() / "g/locked").c_str(), 0);
  chmod((dir.path() / "g/secretPrefs.cs").c_str(), 0);
  chmod(dir.path().c_str(), 0755);
  // Run as a user, the unreadable file is found but does not open.
  const TreeRow row{"", {}, {{"aPrefs.cs", ""}, {"secretPrefs.cs", "-"}, {"zPrefs.cs", ""}}};
  const std::optional<bool> ok = testsupport::runWithoutRoot([&] { return SearchAndLoad(row, dir.path()).empty(); });
  if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
  EXPECT_TRUE(*ok);
#endif
}

}  // namespace
