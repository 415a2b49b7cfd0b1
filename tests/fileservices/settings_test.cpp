#include <sys/stat.h>

#include "fileservices/fileexists.h"
#include "fileservices/settingsfile.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FileMisc::ReadIniValue;
using FileMisc::WriteIniValue;

class Settings : public ::testing::Test {
 protected:
  testsupport::TempDir dir_;
  const std::string ini_ = (dir_.path() / "NorvikPrefs.ini").string();

  std::string Read() const { return ReadIniValue("NorvikFolder", "Norvik2", ini_); }
  void Write(std::string_view value) const {
    WriteIniValue("NorvikFolder", "Norvik2", value, ini_);
  }
};

TEST_F(Settings, missingFileSectionOrKey_readsEmpty) {
  EXPECT_EQ(Read(), "");
  dir_.writeFile("NorvikPrefs.ini", "[Other]\r\nNorvik2=x\r\n");
  EXPECT_EQ(Read(), "");
  dir_.writeFile("NorvikPrefs.ini", "[NorvikFolder]\r\nNorvik3=x\r\n[Other]\r\nNorvik2=y\r\n");
  EXPECT_EQ(Read(), "");
}

TEST_F(Settings, newFile_getsSectionAndKey_laterWriteReplaces) {
  Write("c:\\vandrel\\norvik2\\gamedata");
  EXPECT_EQ(testsupport::readFile(ini_),
            "[NorvikFolder]\r\nNorvik2=c:\\vandrel\\norvik2\\gamedata\r\n");
  Write("d:\\games\\norvik2\\gamedata");
  EXPECT_EQ(Read(), "d:\\games\\norvik2\\gamedata");
  Write("");
  EXPECT_EQ(Read(), "");
}

TEST_F(Settings, longValue_readsBackFirst254) {
  const std::string value(300, 'v');
  Write(value);
  EXPECT_EQ(Read(), value.substr(0, 254));
}

TEST_F(Settings, read_ignoresCaseAndBlanks_acceptsAnyLineEnd) {
  dir_.writeFile("NorvikPrefs.ini", "; note\r[ norvikfolder ]\rNORVIK2 = \t c:\\x \t\r");
  EXPECT_EQ(Read(), "c:\\x");
  dir_.writeFile("NorvikPrefs.ini", "[NorvikFolder]\nNorvik2=c:\\y");
  EXPECT_EQ(Read(), "c:\\y");
}

TEST_F(Settings, write_keepsEveryOtherLineByteForByte) {
  dir_.writeFile("NorvikPrefs.ini",
                 "; comment\n[Other]\nNorvik2=keep\n\n[norvikfolder]\nfoo = bar\nnorvik2 = "
                 "old\n\n[Last]\nx=1");
  Write("new");
  EXPECT_EQ(testsupport::readFile(ini_),
            "; comment\n[Other]\nNorvik2=keep\n\n[norvikfolder]\nfoo = bar\nnorvik2 = "
            "new\n\n[Last]\nx=1");

  dir_.writeFile("NorvikPrefs.ini", "[NorvikFolder]\nfoo=1\n\n[Last]\nx=1");
  Write("v");
  EXPECT_EQ(testsupport::readFile(ini_), "[NorvikFolder]\nfoo=1\nNorvik2=v\n\n[Last]\nx=1");

  dir_.writeFile("NorvikPrefs.ini", "[Other]\nx=1");
  Write("v");
  EXPECT_EQ(testsupport::readFile(ini_), "[Other]\nx=1\n[NorvikFolder]\nNorvik2=v\n");
}

// Guards against a value that smuggles extra lines (and so extra keys) into the file.
TEST_F(Settings, lineBreakInValue_cutsTheValue) {
  Write("c:\\x\r\n[Evil]\r\nNorvik2=y");
  EXPECT_EQ(testsupport::readFile(ini_), "[NorvikFolder]\r\nNorvik2=c:\\x\r\n");
}

// Guards against an added key line whose lone CR end joins the LF of an empty line after
// it into one line end, so that the empty line is lost (found by fuzz/settings).
TEST_F(Settings, addedKeyBeforeEmptyLine_keepsTheEmptyLine) {
  dir_.writeFile("NorvikPrefs.ini", "; x\r[NorvikFolder]\n\n[Last]\r");
  Write("v");
  EXPECT_EQ(testsupport::readFile(ini_), "; x\r[NorvikFolder]\nNorvik2=v\r\n\n[Last]\r");
  EXPECT_EQ(Read(), "v");
}

TEST_F(Settings, unusableFiles_noCrashNoChange) {
  fs::create_directory(ini_);  // a folder where the file should be
  Write("x");
  EXPECT_EQ(Read(), "");
  EXPECT_TRUE(fs::is_directory(ini_));

  const std::string garbage = dir_.writeFile("garbage.ini", std::string(10 << 20, '\x9D')).string();
  EXPECT_EQ(ReadIniValue("NorvikFolder", "Norvik2", garbage), "");

  const std::string underFile = (dir_.path() / "garbage.ini/NorvikPrefs.ini").string();
  WriteIniValue("NorvikFolder", "Norvik2", "x", underFile);
  EXPECT_EQ(ReadIniValue("NorvikFolder", "Norvik2", underFile), "");
}

TEST_F(Settings, notWritableFolder_writeFailsSilently) {
  chmod(dir_.path().c_str(), 0555);
  const std::optional<bool> ok = testsupport::runWithoutRoot([this] {
    Write("x");
    return Read().empty() && !fs::exists(ini_);
  });
  if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
  EXPECT_TRUE(*ok);
}

class FileExistsTest : public testsupport::DriveFixture {};

TEST_F(FileExistsTest, onlyRegularFilesOnMappedDrives) {
  const fs::path exe = writeOnDrive('c', "Vandrel/Norvik2/GameData/norvik2.exe", "MZ");
  writeOnDrive('c', "ro.txt", "");
  chmod((dir_.path() / "drive_c/ro.txt").c_str(), 0444);
  fs::create_symlink(exe, dir_.path() / "drive_c/link.exe");
  fs::create_symlink("nowhere", dir_.path() / "drive_c/dangling.exe");

  EXPECT_TRUE(FileMisc::FileExists("c:\\vandrel\\norvik2\\gamedata\\norvik2.exe"));
  EXPECT_TRUE(FileMisc::FileExists("C:/ro.txt"));
  EXPECT_TRUE(FileMisc::FileExists("c:\\link.exe"));
  EXPECT_TRUE(FileMisc::FileExists(exe.string()));
  for (const char* path :
       {"c:\\vandrel\\norvik2\\gamedata", "c:\\dangling.exe", "c:\\missing.exe",
        "d:\\vandrel\\norvik2\\gamedata\\norvik2.exe", ":\\vandrel\\norvik2\\gamedata\\norvik2.exe",
        "*:\\norvik2.exe", "vandrel\\norvik2\\gamedata\\norvik2.exe", "c:\\ro.txt\\", ""})
    EXPECT_FALSE(FileMisc::FileExists(path)) << path;
}

}  // namespace
