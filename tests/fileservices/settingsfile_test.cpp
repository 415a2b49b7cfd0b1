#include "fileservices/settingsfile.h"

#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "support/tempdir.h"

namespace {

namespace fs = std::filesystem;
using FileMisc::ReadIniValue;
using FileMisc::WriteIniValue;

std::string Read(const fs::path& ini) {
  return ReadIniValue("NorvikFolder", "Norvik2", testsupport::ProgramPath(ini));
}
void Write(const fs::path& ini, std::string_view value) {
  WriteIniValue("NorvikFolder", "Norvik2", value, testsupport::ProgramPath(ini));
}

TEST(ReadIniValue, findsTheKeyOfTheSection) {
  using namespace std::string_literals;
  const std::pair<std::string, std::string> rows[] = {
      {"[NorvikFolder]\r\nNorvik2=c:\\x\r\n", "c:\\x"},
      {"[Other]\r\nNorvik2=x\r\n", ""},
      {"[NorvikFolder]\r\nNorvik3=x\r\n[Other]\r\nNorvik2=y\r\n", ""},
      {"; note\r[ norvikfolder ]\rNORVIK2 = \t c:\\x \t\r", "c:\\x"},  // case, blanks, CR ends
      {"[NorvikFolder]\nNorvik2=c:\\y", "c:\\y"},
      {"[NorvikFolder]\nNorvik2=a\nnorvik2=b\n", "a"},  // the first of two
      {"[NorvikFolder]\nNorvik2=" + std::string(300, 'v'), std::string(254, 'v')},
      {"[NorvikFolder]\nNorvik2=ab\0cd\n"s, "ab"},
      {std::string(10 << 20, '\x9D'), ""},
  };
  testsupport::TempDir dir;
  EXPECT_EQ(Read(dir.path() / "missing.ini"), "");
  for (const auto& [bytes, value] : rows)
    EXPECT_EQ(Read(dir.writeFile("NorvikPrefs.ini", bytes)), value) << bytes.substr(0, 60);
}

struct WriteRow {
  const char* name;
  std::function<void(const fs::path& ini)> prepare;
  std::string value;
  std::optional<std::string> after;  // the file's bytes; none: left as it was
};

std::function<void(const fs::path&)> Holding(std::string bytes) {
  return [bytes](const fs::path& ini) { std::ofstream(ini, std::ios::binary) << bytes; };
}

std::string EveryByte() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

const std::string kComment = "; " + std::string(10 << 20, 'x') + "\r\n";

void PrintTo(const WriteRow& row, std::ostream* out) { *out << row.name; }

const WriteRow kWrites[] = {
    {"missingFile", [](const fs::path&) {}, "c:\\g", "[NorvikFolder]\r\nNorvik2=c:\\g\r\n"},
    {"emptyValue", Holding("[NorvikFolder]\r\nNorvik2=old\r\n"), "", "[NorvikFolder]\r\nNorvik2=\r\n"},
    {"otherLinesKeptByteForByte",
     Holding("; comment\n[Other]\nNorvik2=keep\n\n[norvikfolder]\nfoo = bar\nnorvik2 = old\n\n[Last]\nx=1"),
     "new", "; comment\n[Other]\nNorvik2=keep\n\n[norvikfolder]\nfoo = bar\nnorvik2 = new\n\n[Last]\nx=1"},
    {"keyAddedAfterTheSectionsLastLine", Holding("[NorvikFolder]\nfoo=1\n\n[Last]\nx=1"), "v",
     "[NorvikFolder]\nfoo=1\nNorvik2=v\n\n[Last]\nx=1"},
    {"sectionAddedAtTheEnd", Holding("[Other]\nx=1"), "v", "[Other]\nx=1\n[NorvikFolder]\nNorvik2=v\n"},
    {"noSection", Holding("Norvik2=c:\\old\r\n"), "g", "Norvik2=c:\\old\r\n[NorvikFolder]\r\nNorvik2=g\r\n"},
    {"keyTwice", Holding("[NorvikFolder]\r\nNorvik2=a\r\nnorvik2=b\r\n"), "g",
     "[NorvikFolder]\r\nNorvik2=g\r\nnorvik2=b\r\n"},
    {"crOnlyLineEnds", Holding("[NorvikFolder]\rNorvik2=old\r[Other]\rx=1\r"), "g",
     "[NorvikFolder]\rNorvik2=g\r[Other]\rx=1\r"},
    // Guards against an added key line whose lone CR joins the LF of an empty line after it
    // into one line end, losing the empty line.
    {"addedKeyBeforeAnEmptyLine", Holding("; x\r[NorvikFolder]\n\n[Last]\r"), "v",
     "; x\r[NorvikFolder]\nNorvik2=v\r\n\n[Last]\r"},
    // Guards against a value that smuggles extra lines (and so extra keys) into the file.
    {"lineBreakInValue", [](const fs::path&) {}, "c:\\x\r\n[Evil]\r\nNorvik2=y",
     "[NorvikFolder]\r\nNorvik2=c:\\x\r\n"},
    {"binaryGarbage", Holding(EveryByte()), "g", EveryByte() + "\n[NorvikFolder]\nNorvik2=g\n"},
    {"tenMegabytes", Holding(kComment + "[NorvikFolder]\r\nNorvik2=old\r\n"), "g",
     kComment + "[NorvikFolder]\r\nNorvik2=g\r\n"},
    // Too large to be a settings file of ours: neither read nor replaced.
    {"twentyMegabytes", Holding(std::string(20 << 20, '\n')), "g", std::nullopt},
    {"folderInItsPlace", [](const fs::path& ini) { fs::create_directory(ini); }, "g", std::nullopt},
    {"fifoInItsPlace", [](const fs::path& ini) { mkfifo(ini.c_str(), 0644); }, "g", std::nullopt},
};

class WriteIni : public ::testing::TestWithParam<WriteRow> {};

TEST_P(WriteIni, replacesOnlyTheKeyLine_andTheValueReadsBack) {
  const WriteRow& row = GetParam();
  testsupport::TempDir dir;
  const fs::path ini = dir.path() / "NorvikPrefs.ini";
  row.prepare(ini);
  const std::string before = fs::is_regular_file(ini) ? testsupport::readFile(ini) : "";
  Write(ini, row.value);
  if (!row.after) {
    EXPECT_EQ(fs::is_regular_file(ini) ? testsupport::readFile(ini) : "", before);
    EXPECT_EQ(Read(ini), "");
    return;
  }
  EXPECT_TRUE(testsupport::readFile(ini) == *row.after) << testsupport::readFile(ini).substr(0, 200);
  EXPECT_EQ(Read(ini), row.value.substr(0, row.value.find('\r')));
  // Nothing else is left in the folder: the file was replaced through a temporary file.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Settings, WriteIni, ::testing::ValuesIn(kWrites),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WriteIniValue, folderNotWritable_failsSilentlyAsAUser) {
  testsupport::TempDir dir;
  chmod(dir.path().c_str(), 0555);
  const std::optional<bool> ok = testsupport::runWithoutRoot([&dir] {
    Write(dir.path() / "NorvikPrefs.ini", "x");
    return Read(dir.path() / "NorvikPrefs.ini").empty() && fs::is_empty(dir.path());
  });
  if (!ok) GTEST_SKIP() << "cannot give up root to test permissions";
  EXPECT_TRUE(*ok);
}

}  // namespace
