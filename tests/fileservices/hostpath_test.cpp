#include "fileservices/hostpath.h"
#include "fileservices/settingsfile.h"
#include "fileservices/settingsfolder.h"

#include <sys/stat.h>

#include <cstdlib>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using hostpath::ToHostPath;

// Drive c: beside the program; d: in the configuration folder; c:, d: and z: in the Wine
// prefix, which answers only for z:.
class HostPath : public testsupport::DriveFixture {};

TEST_F(HostPath, programPathsMapOntoTheDrives_otherShapesNameNothing) {
  for (const char* file : {"Vandrel/Norvik2/GameData/norvik2.exe", "a/b/f", "caf\xE9/x", "prefs/x", "PREFS/x", "\xE6\x97\xA5"})
    writeOnDrive('c', file, "");
  for (const char x : std::string("abcdefgh")) for (const char* e : {"\xC3\xA9", "\xC9"}) writeOnDrive('c', std::string("o/") + x + e, "");
  for (const char* drive : {"prefix/dosdevices/c:", "prefix/dosdevices/d:", "prefix/dosdevices/z:", "config/norvik-prefs-editor/dosdevices/d:"})
    fs::create_directories(dir_.path() / drive);
  setenv("WINEPREFIX", (dir_.path().string() + "/prefix//").c_str(), 1);
  const std::string c = (exeFolder_ / "dosdevices/c:").string(), d = (dir_.path() / "config/norvik-prefs-editor/dosdevices/d:").string();
  const std::pair<std::string, std::optional<std::string>> rows[] = {
      {"c:", c}, {"C:\\", c + "/"}, {"c:\\vandrel\\norvik2\\gamedata\\NORVIK2.EXE", c + "/Vandrel/Norvik2/GameData/norvik2.exe"},
      {"c:/VANDREL/New/x.ini", c + "/Vandrel/New/x.ini"},  // parts that do not exist as given
      {"c:\\\\a//b\\/f", c + "/a/b/f"}, {"c:\\..\\..\\a\\.\\b\\..\\b\\f", c + "/a/b/f"}, {"c:\\a\\..\\..", c},
      {"c:\\CAF\xC9\\x", c + "/caf\xE9/x"},  // a name that is not UTF-8 on disk
      {"c:\\Prefs", c + "/PREFS"},           // two case variants: the first in listing order
      {"c:\\?", c + "/?"},                   // a name outside the code page is no variant of "?"
      {"d:\\x", d + "/x"}, {"z:\\x", dir_.path().string() + "/prefix/dosdevices/z:/x"}, {"/", "/"}, {dir_.path().string() + "/PROGRAM\\DosDevices", exeFolder_.string() + "/dosdevices"},
      // Guards against a path of a bad shape resolving against the working folder or a drive.
      {"", {}}, {"vandrel\\x", {}}, {"c::\\x", {}}, {":\\x", {}}, {"ab:\\x", {}}, {"*:\\x", {}}, {"?:\\x", {}},
      {"1:\\x", {}}, {"e:\\x", {}}, {"\\\\server\\share\\x", {}}, {"\\vandrel", {}}, {"c:vandrel", {}},
      {std::string("c:\\a\0b", 6), {}},
  };
  for (const auto& [program, host] : rows) EXPECT_EQ(ToHostPath(program), host) << program;
  // Without $WINEPREFIX the prefix is ~/.wine; a home empty or unset names none ("/.wine").
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  unsetenv("WINEPREFIX");
  for (const bool set : {true, false}) {
    set ? setenv("HOME", "", 1) : unsetenv("HOME");
    for (const std::string& root : hostpath::DriveRootCandidates('z')) EXPECT_NE(root.rfind("/.wine", 0), 0u) << root;
  }
  setenv("HOME", home.c_str(), 1);
  // Two case variants whose host names sort the other way round (é in UTF-8, É in the code
  // page): É lists first, in whatever order the folder happens to be read.
  for (const char x : std::string("abcdefgh")) EXPECT_EQ(ToHostPath(std::string("c:\\o\\") + x + "\xC9"), c + "/o/" + x + "\xC9");
}

// Beside an installed copy nothing can be written: the settings file goes to the user's
// configuration folder, made when missing (root writes anywhere, so the user is nobody),
// named as the system names it whatever the code page lacks (a home named in Cyrillic).
TEST_F(HostPath, settingsFolder_besideTheProgram_elseInTheConfigurationFolder) {
  EXPECT_EQ(hostpath::SettingsFolder(), exeFolder_.string());
  const std::string home = "\xD0\xB4\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
  const fs::path config = dir_.path() / home / ".config/norvik-prefs-editor";
  fs::create_directories(dir_.path() / home);  // ~/.config is made too
  for (const fs::path& folder : {dir_.path(), dir_.path() / home}) chmod(folder.c_str(), 0777);
  chmod(exeFolder_.c_str(), 0555);
  for (const bool xdg : {false, true}) {  // by $HOME, then by $XDG_CONFIG_HOME
    const std::optional<bool> ok = testsupport::runWithoutRoot([&] {
      if (xdg) setenv("XDG_CONFIG_HOME", (config.parent_path().string() + "/").c_str(), 1);
      else unsetenv("XDG_CONFIG_HOME"), setenv("HOME", (dir_.path() / home).c_str(), 1);
      FileMisc::WriteIniValue("s", "k", "v", hostpath::SettingsFile("NorvikPrefs.ini"));
      return hostpath::SettingsFolder() == config.string() && FileMisc::ReadIniValue("s", "k", (config / "NorvikPrefs.ini").native()) == "v";
    });
    if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
    EXPECT_TRUE(*ok) << xdg;
  }
}

}  // namespace
