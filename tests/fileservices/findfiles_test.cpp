#include <sys/stat.h>

#include "fileservices/findfile.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FindFileRecursive::FindFiles;
using Paths = std::vector<std::string>;

class FindFilesTest : public testsupport::DriveFixture {};

TEST_F(FindFilesTest, depthFirst_caseInsensitiveOrder_matchingFilesOnly) {
  for (const char* file :
       {"gamedata/b/bPrefs.cs", "gamedata/A/sub/deepPrefs.cs", "gamedata/A/aPrefs.cs",
        "gamedata/cPrefs.cs", "gamedata/Prefs.cs", "gamedata/xprefs.cs", "gamedata/y.PREFS.CS",
        "gamedata/folderPrefs.cs/innerPrefs.cs", "gamedata/empty/x.txt"})
    writeOnDrive('c', file, "");
  std::string folder = "c:\\GameData";
  Paths results = {"kept"};
  FindFiles(folder, "*", "*Prefs.cs", results);
  EXPECT_EQ(folder, "c:\\GameData\\");
  const Paths expected = {"kept",
                          "c:\\GameData\\A\\aPrefs.cs",
                          "c:\\GameData\\A\\sub\\deepPrefs.cs",
                          "c:\\GameData\\b\\bPrefs.cs",
                          "c:\\GameData\\cPrefs.cs",
                          "c:\\GameData\\folderPrefs.cs\\innerPrefs.cs",
                          "c:\\GameData\\Prefs.cs"};
  EXPECT_EQ(results, expected);

  // A second run appends; the completed folder is used unchanged.
  FindFiles(folder, "*", "*Prefs.cs", results);
  EXPECT_EQ(folder, "c:\\GameData\\");
  ASSERT_EQ(results.size(), 13u);
  EXPECT_TRUE(std::equal(expected.begin() + 1, expected.end(), results.begin() + 7));
}

TEST_F(FindFilesTest, folderPattern_testsTheFolderText) {
  writeOnDrive('c', "g/aPrefs.cs", "");
  writeOnDrive('c', "g/sub/bPrefs.cs", "");
  std::string folder = "c:\\g\\";
  Paths results;
  FindFiles(folder, "*\\sub\\", "*", results);
  EXPECT_EQ(results, Paths{"c:\\g\\sub\\bPrefs.cs"});
}

TEST_F(FindFilesTest, namesComeBackAsCodePageText) {
  writeOnDrive('c', "g/\xE9Prefs.cs", "");      // Latin-1 byte on disk
  writeOnDrive('c', "g/\xC3\x84Prefs.cs", "");  // UTF-8 on disk
  std::string folder = "c:\\g";
  Paths results;
  FindFiles(folder, "*", "*Prefs.cs", results);
  EXPECT_EQ(results, (Paths{"c:\\g\\\xC4Prefs.cs", "c:\\g\\\xE9Prefs.cs"}));
}

// Guards against endless recursion through symbolic links that point back up.
TEST_F(FindFilesTest, symlinkLoops_endAndLinkedFoldersAreFollowed) {
  const fs::path top = writeOnDrive('c', "top/one/onePrefs.cs", "").parent_path().parent_path();
  fs::create_directory_symlink("..", top / "one/up");
  fs::create_directory_symlink(".", top / "one/self");
  fs::create_directory_symlink("one", top / "lnk");
  fs::create_symlink("nowhere", top / "danglingPrefs.cs");
  std::string folder = "c:\\top";
  Paths results;
  FindFiles(folder, "*", "*Prefs.cs", results);
  EXPECT_EQ(results, (Paths{"c:\\top\\lnk\\onePrefs.cs", "c:\\top\\one\\onePrefs.cs"}));
}

// Guards against losing what lies below the depth at which folders are opened by path.
TEST_F(FindFilesTest, deepTree_isSearchedToTheBottom) {
  std::string relative = "g", expected = "c:\\g\\";
  for (int i = 0; i < 80; ++i) relative += "/d", expected += "d\\";
  writeOnDrive('c', relative + "/deepPrefs.cs", "");
  fs::create_directory_symlink(".", dir_.path() / "drive_c" / relative / "loop");
  std::string folder = "c:\\g";
  Paths results;
  FindFiles(folder, "*", "*Prefs.cs", results);
  EXPECT_EQ(results, Paths{expected + "deepPrefs.cs"});
}

TEST_F(FindFilesTest, missingOrInvalidFolder_addsNothing) {
  makeDrive('c');
  for (std::string folder : {"c:\\nothing", "x:\\gamedata", "gamedata", ""}) {
    Paths results;
    FindFiles(folder, "*", "*", results);
    EXPECT_TRUE(results.empty()) << folder;
    EXPECT_EQ(folder.back(), '\\');
  }
}

TEST_F(FindFilesTest, unreadableFolder_isSkipped) {
  writeOnDrive('c', "g/aPrefs.cs", "");
  writeOnDrive('c', "g/locked/hiddenPrefs.cs", "");
  writeOnDrive('c', "g/zPrefs.cs", "");
  chmod((dir_.path() / "drive_c/g/locked").c_str(), 0);
  chmod(dir_.path().c_str(), 0755);
  const std::optional<bool> ok = testsupport::runWithoutRoot([] {
    std::string folder = "c:\\g";
    Paths results;
    FindFiles(folder, "*", "*Prefs.cs", results);
    return results == Paths{"c:\\g\\aPrefs.cs", "c:\\g\\zPrefs.cs"};
  });
  if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
  EXPECT_TRUE(*ok);
}

}  // namespace
