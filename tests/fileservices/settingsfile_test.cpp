#include "fileservices/hostpath.h"
#include "fileservices/settingsfile.h"
#include "fileservices/settingsfolder.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <cstdlib>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::string Read(const fs::path& ini) { return FileMisc::ReadIniValue("NorvikFolder", "Norvik2", ini.native()); }

TEST(ReadIniValue, findsTheKeyOfTheSection) {
  const std::pair<std::string, std::string> rows[] = {
      {"[NorvikFolder]\r\nNorvik2=c:\\x\r\n", "c:\\x"}, {"[Other]\r\nNorvik2=x\r\n", ""},
      {"[NorvikFolder]\r\nNorvik3=x\r\n[Other]\r\nNorvik2=y\r\n", ""},
      {"; note\r[ norvikfolder ]\rNORVIK2 = \t c:\\x \t\r", "c:\\x"},  // case, blanks, CR ends
      {"[NorvikFolder]\nNorvik2=a\nnorvik2=b", "a"}, {"[NorvikFolder]\nNorvik2=" + std::string(300, 'v'), std::string(254, 'v')},
      {"[NorvikFolder]\nNorvik2=ab\0cd\n"s, "ab"}, {std::string(10 << 20, '\x9D'), ""},
  };
  testsupport::TempDir dir;
  EXPECT_EQ(Read(dir.path() / "missing.ini"), "");
  const auto az = dir.writeFile("az.ini", "[a@Z[]\n@`Z=v").native();
  EXPECT_TRUE(FileMisc::ReadIniValue("A@z[", "@`z", az) == "v" && FileMisc::ReadIniValue("a`z[", "@`z", az).empty());
  for (const auto& [bytes, value] : rows)
    EXPECT_EQ(Read(dir.writeFile("NorvikPrefs.ini", bytes)), value) << bytes.substr(0, 60);
}

const std::string kComment = "; " + std::string(10 << 20, 'x') + "\r\n";

// More files are the settings fuzz target's seeds, replayed as a test with its property:
// only the key line changes and the value reads back (among them: every other line kept
// byte for byte, and guarding against an added key line whose lone CR joins the LF of an
// empty line after it into one line end, losing the empty line).
// Before, the value written, after ("=" leaves the file as it was; "folder" and "fifo"
// put one of those in the file's place).
const std::tuple<std::string, std::string, std::string> kWrites[] = {
    {"", "c:\\g", "[NorvikFolder]\r\nNorvik2=c:\\g\r\n"}, {"[NorvikFolder]\rx=1\r[Next]\r", "g", "[NorvikFolder]\rx=1\rNorvik2=g\r[Next]\r"},
    {"a=1\nb=2\r\n", "g", "a=1\nb=2\r\n[NorvikFolder]\nNorvik2=g\n"},  // added lines end as the file's first
    // Guards against a value that smuggles extra lines (and so extra keys) into the file.
    {"", "c:\\x\r\n[Evil]\r\nNorvik2=y", "[NorvikFolder]\r\nNorvik2=c:\\x\r\n"},
    {kComment + "[NorvikFolder]\r\nNorvik2=old\r\n", "g", kComment + "[NorvikFolder]\r\nNorvik2=g\r\n"},
    // Added after the section's last line that is not blank; the key of another section stays.
    {"[NorvikFolder]\r\nother=1\r\n\r\n[Next]\r\nNorvik2=x\r\n", "g",
     "[NorvikFolder]\r\nother=1\r\nNorvik2=g\r\n\r\n[Next]\r\nNorvik2=x\r\n"},
    // Too large to be a settings file of ours: neither read nor replaced.
    {std::string(20 << 20, '\n'), "g", "="}, {"folder", "g", "="},
    {"readonly", "g", "="},  // marked read-only: left alone, on every system
#ifndef _WIN32
    {"fifo", "g", "="},
#endif
};

TEST(WriteIniValue, replacesOnlyTheKeyLine_andTheValueReadsBack) {
  for (const auto& [before, value, after] : kWrites) {
    testsupport::TempDir dir;
    const fs::path ini = dir.path() / "NorvikPrefs.ini";
    if (before == "folder") fs::create_directory(ini);
#ifndef _WIN32
    else if (before == "fifo") mkfifo(ini.c_str(), 0644);
#endif
    else if (!before.empty()) dir.writeFile("NorvikPrefs.ini", before);
    if (before == "readonly") fs::permissions(ini, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    dir.writeFile(".NorvikPrefs.ini.5.tmp", "");
    FileMisc::WriteIniValue("NorvikFolder", "Norvik2", value, ini.native());
    const std::string written = fs::is_regular_file(ini) ? testsupport::readFile(ini) : before;
    EXPECT_TRUE(written == (after == "=" ? before : after)) << before.substr(0, 50) << " -> " << written.substr(0, 80);
    EXPECT_EQ(Read(ini), after == "=" ? "" : value.substr(0, value.find('\r')));
    // Written through a temporary file that is gone, as is the one a killed save left; but
    // beside a file that was not there, or was not replaced, that one stays.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), before.empty() || after == "=" ? 2 : 1);
    if (before == "readonly") fs::permissions(ini, fs::perms::owner_write, fs::perm_options::add);
  }
}

// Guards against names that could not be read back, or that would break the file's
// structure, and against a reader that keeps its file open.
TEST(WriteIniValue, namesThatCannotBeReadBack_writeNothing_readsCloseTheirFile) {
  testsupport::TempDir dir;
  const fs::path ini = dir.writeFile("NorvikPrefs.ini", "[NorvikFolder]\nNorvik2=v\n");
  for (const auto& [section, key] : {std::pair{"", "k"}, {" s", "k"}, {"s]", "k"}, {"s", ""}, {"s", "k "}, {"s", "k="}, {"s", "[k"}})
    FileMisc::WriteIniValue(section, key, "x", ini.native());
  EXPECT_EQ(testsupport::readFile(ini), "[NorvikFolder]\nNorvik2=v\n");
#ifndef _WIN32
  rlimit limit{}, low{};
  getrlimit(RLIMIT_NOFILE, &limit);
  low = {64, limit.rlim_max};
  setrlimit(RLIMIT_NOFILE, &low);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Read(ini), "v");
  setrlimit(RLIMIT_NOFILE, &limit);
#endif
}

#ifdef _WIN32
// A copy in a folder that takes no new files (under Program Files, on a read-only medium)
// keeps its settings in %APPDATA%: a folder that is not there stands for one. Either is
// named as the system names it, whatever the code page lacks.
TEST(SettingsFolder, besideTheProgram_elseInTheApplicationDataFolder) {
  testsupport::TempDir dir;
  const fs::path portable = dir.path() / L"Pobrane Micha\u0142 \u0434\u043C\u0438\u0442\u0440\u0438\u0439";
  fs::create_directory(portable);
  const fs::path appData = fs::path(_wgetenv(L"APPDATA")) / "norvik-prefs-editor";
  const std::pair<fs::path, fs::path> rows[] = {{portable, portable}, {dir.path() / "gone", appData}};
  for (const auto& [exeFolder, settings] : rows) {
    hostpath::OverrideExecutableFolder(exeFolder.wstring());
    EXPECT_EQ(hostpath::SettingsFolder(), settings.native());
    FileMisc::WriteIniValue("s", "k", "v", hostpath::SettingsFile("NorvikPrefs.ini"));
    EXPECT_EQ(FileMisc::ReadIniValue("s", "k", (settings / "NorvikPrefs.ini").native()), "v");
    fs::remove(settings / "NorvikPrefs.ini");
  }
  EXPECT_TRUE(fs::is_empty(portable));  // the file that tried the folder is gone
  hostpath::OverrideExecutableFolder({});
}
#endif

}  // namespace
