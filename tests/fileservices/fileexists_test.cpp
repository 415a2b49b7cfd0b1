#include "fileservices/fileexists.h"

#include <sys/stat.h>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

class FileExists : public testsupport::DriveFixture {};

TEST_F(FileExists, onlyRegularFilesOnMappedDrives) {
  const fs::path exe = writeOnDrive('c', "Vandrel/Norvik2/GameData/norvik2.exe", "MZ");
  chmod(writeOnDrive('c', "ro.txt", "").c_str(), 0444);
  fs::create_symlink(exe, dir_.path() / "drive_c/link.exe");
  fs::create_symlink("nowhere", dir_.path() / "drive_c/dangling.exe");
  const std::pair<std::string, bool> rows[] = {
      {"c:\\vandrel\\norvik2\\gamedata\\norvik2.exe", true}, {"C:/ro.txt", true}, {"c:\\link.exe", true},
      {exe.string(), true}, {"c:\\vandrel\\norvik2\\gamedata", false}, {"c:\\dangling.exe", false},
      {"c:\\missing.exe", false}, {"d:\\vandrel\\norvik2\\gamedata\\norvik2.exe", false},
      {":\\vandrel\\norvik2\\gamedata\\norvik2.exe", false}, {"*:\\norvik2.exe", false},
      {"vandrel\\norvik2\\gamedata\\norvik2.exe", false}, {"c:\\ro.txt\\", false}, {"", false},
  };
  for (const auto& [path, exists] : rows) EXPECT_EQ(FileMisc::FileExists(path), exists) << path;
}

}  // namespace
