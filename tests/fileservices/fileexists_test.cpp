#include "fileservices/fileexists.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include "fileservices/hostpath.h"
#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;

TEST(FileExists, onlyOrdinaryFiles_otherShapesNameNothing) {
  testsupport::TempDir dir;
  const std::string top = testsupport::ProgramPath(dir.path()) + "\\";
  dir.writeFile("Game/norvik2.exe", "MZ");
  fs::permissions(dir.writeFile("ro.txt", ""), fs::perms::owner_read);
  std::vector<std::pair<std::string, bool>> rows = {
      {top + "game\\NORVIK2.EXE", true}, {top + "ro.txt", true}, {top + "Game/../Game//.\\norvik2.exe", true},
      {testsupport::ProgramPath(hostpath::ExecutableFolder()) + "\\" + TEST_PROGRAM_NAME, true}, {top + "Game", false}, {top + "missing.exe", false},
      {top + "ro.txt\\", false}, {":\\vandrel\\norvik2\\gamedata\\norvik2.exe", false}, {"*:\\norvik2.exe", false},
      {"vandrel\\norvik2\\gamedata\\norvik2.exe", false}, {"c::\\norvik2.exe", false}, {"\\\\server\\share\\x", false},
      {"", false},
  };
#ifdef _WIN32
  SetFileAttributesW(dir.writeFile("hidden.exe", "MZ").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesW(dir.writeFile("system.exe", "MZ").c_str(), FILE_ATTRIBUTE_SYSTEM);
  rows.insert(rows.end(), {{top + "hidden.exe", false}, {top + "system.exe", false}});
#endif
  for (const auto& [path, exists] : rows) EXPECT_EQ(FileMisc::FileExists(path), exists) << path;
}

}  // namespace
