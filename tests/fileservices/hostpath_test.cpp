#include "fileservices/hostpath.h"

#include <cstdlib>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using hostpath::ToHostPath;

class HostPath : public testsupport::DriveFixture {
 protected:
  std::string Drive(char letter) const {
    return (exeFolder_ / "dosdevices" / (std::string(1, letter) + ":")).string();
  }
};

TEST_F(HostPath, invalidShapes_nameNothing) {
  using namespace std::string_literals;
  makeDrive('c');
  for (const std::string& path :
       {""s, "vandrel\\x"s, "c::\\x"s, ":\\x"s, "ab:\\x"s, "*:\\x"s, "?:\\x"s, "1:\\x"s,
        "\\\\server\\share\\x"s, "\\vandrel"s, "c:vandrel"s, "c:\\a\0b"s})
    EXPECT_EQ(ToHostPath(path), std::nullopt) << path;
}

TEST_F(HostPath, driveFromExecutableFolder_withCaseFallback) {
  writeOnDrive('c', "Vandrel/Norvik2/GameData/norvik2.exe", "");
  const std::string root = Drive('c');
  EXPECT_EQ(ToHostPath("c:"), root);
  EXPECT_EQ(ToHostPath("C:\\"), root + "/");
  EXPECT_EQ(ToHostPath("c:\\vandrel\\norvik2\\gamedata\\NORVIK2.EXE"),
            root + "/Vandrel/Norvik2/GameData/norvik2.exe");
  // Parts that do not exist are kept as given.
  EXPECT_EQ(ToHostPath("c:/VANDREL/New/x.ini"), root + "/Vandrel/New/x.ini");
}

TEST_F(HostPath, separators_doubledAndDotDotAtRoot) {
  writeOnDrive('c', "a/b/f", "");
  const std::string root = Drive('c');
  EXPECT_EQ(ToHostPath("c:\\\\a//b\\/f"), root + "/a/b/f");
  EXPECT_EQ(ToHostPath("c:\\..\\..\\a\\.\\b\\..\\b\\f"), root + "/a/b/f");
  EXPECT_EQ(ToHostPath("c:\\a\\..\\.."), root);
}

TEST_F(HostPath, driveFromWinePrefix_afterExecutableFolder) {
  const fs::path prefix = dir_.makeDir("prefix");
  dir_.makeDir("prefix/dosdevices/d:");
  dir_.makeDir("prefix/dosdevices/c:");
  setenv("WINEPREFIX", prefix.c_str(), 1);
  EXPECT_EQ(ToHostPath("d:\\x"), (prefix / "dosdevices/d:/x").string());
  makeDrive('c');
  EXPECT_EQ(ToHostPath("c:\\x"), Drive('c') + "/x");
  EXPECT_EQ(ToHostPath("e:\\x"), std::nullopt);
}

TEST_F(HostPath, caseFallback_findsNamesThatAreNotUtf8) {
  writeOnDrive('c', "caf\xE9/x", "");  // Latin-1 bytes on disk
  EXPECT_EQ(ToHostPath("c:\\CAF\xC9\\x"), Drive('c') + "/caf\xE9/x");
}

TEST_F(HostPath, caseFallback_takesFirstInListingOrder) {
  writeOnDrive('c', "prefs/x", "");
  writeOnDrive('c', "PREFS/x", "");
  EXPECT_EQ(ToHostPath("c:\\Prefs"), Drive('c') + "/PREFS");
}

TEST_F(HostPath, hostPaths_useCaseFallbackToo) {
  const fs::path file = dir_.writeFile("Some/File.ini", "");
  const std::string lower = (dir_.path() / "some\\file.INI").string();
  EXPECT_EQ(ToHostPath(lower), file.string());
  EXPECT_EQ(ToHostPath("/"), "/");
}

TEST(ExecutableFolder, isTheFolderOfTheRunningProgram) {
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(hostpath::ExecutableFolder(), exe.parent_path().string());
  EXPECT_EQ(ToHostPath(hostpath::ProgramFolder() + "\\" + exe.filename().string()), exe.string());
}

}  // namespace
