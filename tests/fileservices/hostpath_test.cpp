#include "fileservices/hostpath.h"

#include <cstdlib>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using hostpath::ToHostPath;

// Drive c: beside the program, d: and c: in the Wine prefix (the program's c: wins).
class HostPath : public testsupport::DriveFixture {
 protected:
  void SetUp() override {
    DriveFixture::SetUp();
    for (const char* file : {"Vandrel/Norvik2/GameData/norvik2.exe", "a/b/f", "caf\xE9/x", "prefs/x",
                             "PREFS/x"})
      writeOnDrive('c', file, "");
    const fs::path prefix = dir_.path() / "prefix";
    for (const char* drive : {"dosdevices/c:", "dosdevices/d:"}) fs::create_directories(prefix / drive);
    setenv("WINEPREFIX", (prefix.string() + "//").c_str(), 1);
  }
  std::string C() const { return (exeFolder_ / "dosdevices/c:").string(); }
  std::string D() const { return (dir_.path() / "prefix/dosdevices/d:").string(); }
};

TEST_F(HostPath, programPathsMapOntoTheDrives) {
  const std::pair<std::string, std::string> rows[] = {
      {"c:", C()},
      {"C:\\", C() + "/"},
      {"c:\\vandrel\\norvik2\\gamedata\\NORVIK2.EXE", C() + "/Vandrel/Norvik2/GameData/norvik2.exe"},
      {"c:/VANDREL/New/x.ini", C() + "/Vandrel/New/x.ini"},  // parts that do not exist as given
      {"c:\\\\a//b\\/f", C() + "/a/b/f"},
      {"c:\\..\\..\\a\\.\\b\\..\\b\\f", C() + "/a/b/f"},  // ".." stops at the drive's root
      {"c:\\a\\..\\..", C()},
      {"c:\\CAF\xC9\\x", C() + "/caf\xE9/x"},  // a name that is not UTF-8 on disk
      {"c:\\Prefs", C() + "/PREFS"},           // two case variants: the first in listing order
      {"d:\\x", D() + "/x"},                   // from the Wine prefix
      {"/", "/"},
  };
  for (const auto& [program, host] : rows) EXPECT_EQ(ToHostPath(program), host) << program;
  const fs::path file = dir_.writeFile("Some/File.ini", "");
  EXPECT_EQ(ToHostPath((dir_.path() / "some\\file.INI").string()), file.string());
}

// Guards against a path of a bad shape resolving against the working folder or a drive.
TEST_F(HostPath, pathsOfAnInvalidShape_nameNothing) {
  using namespace std::string_literals;
  for (const std::string& path :
       {""s, "vandrel\\x"s, "c::\\x"s, ":\\x"s, "ab:\\x"s, "*:\\x"s, "?:\\x"s, "1:\\x"s, "e:\\x"s,
        "\\\\server\\share\\x"s, "\\vandrel"s, "c:vandrel"s, "c:\\a\0b"s})
    EXPECT_EQ(ToHostPath(path), std::nullopt) << path;
}

TEST(ExecutableFolder, isTheFolderOfTheRunningProgram) {
  const fs::path exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(hostpath::ExecutableFolder(), exe.parent_path().string());
  EXPECT_EQ(ToHostPath(hostpath::ProgramFolder() + "\\" + exe.filename().string()), exe.string());
}

}  // namespace
