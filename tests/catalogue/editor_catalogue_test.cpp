// Bad input, on purpose, through the real window: typed drive texts, settings files and
// prefs files. Each row states what must happen; every row also checks that nothing
// was written but what the row allows (a snapshot of the whole throw-away tree) and
// that no box came up that the row did not expect.

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "catalogue/tree_snapshot.h"
#include "editor/editor_fixture.h"
#include "editor/text.h"

namespace fs = std::filesystem;
using testsupport::readFile;
using ui::kAnswerNo;
using ui::kAnswerOK;
using ui::kAnswerYes;

namespace {

const std::string kGameExe = std::string(testsupport::kGameData) + "/norvik2.exe";
const std::string kStored = "g:\\vandrel\\norvik2\\gamedata";

std::string EveryByte(int times) {
  std::string bytes;
  for (int t = 0; t < times; ++t)
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

// The lines the editor shows for a file: ends at CR LF, CR or LF; only-space lines go.
std::vector<std::string> NonBlankLines(std::string_view bytes) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      lines.back() += bytes[i];
      continue;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.emplace_back();
  }
  std::erase_if(lines, [](const std::string& l) { return l.find_first_not_of(' ') == l.npos; });
  return lines;
}

template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

class Catalogue : public testsupport::EditorFixture {
 protected:
  std::vector<std::string> changedSince(const testsupport::TreeSnapshot& before) const {
    return testsupport::ChangedPaths(before, testsupport::TakeSnapshot(dir_.path()));
  }
  std::string settingsName() const { return "program/NorvikPrefs.ini"; }
};

// --- Texts typed at the drive-letter prompt ------------------------------------------
// The game lies on g: only, so every start asks. c: is a drive without the game, and a
// game folder also lies outside every drive, at {tmp}/outside/x:\vandrel\...

struct DriveRow {
  const char* name;
  QString typed;  // "{tmp}" stands for the throw-away folder; a null text is Cancel
  bool found;
};

const DriveRow kDriveRows[] = {
    {"empty", QStringLiteral(""), false},
    {"cancel", QString(), false},
    {"driveWithColon", QStringLiteral("c:"), false},
    {"driveWithColonAndBackslash", QStringLiteral("c:\\"), false},
    {"dotDot", QStringLiteral(".."), false},
    {"climbingRelativePath", QStringLiteral("../../etc"), false},
    {"slash", QStringLiteral("/"), false},
    {"star", QStringLiteral("*"), false},
    {"questionMark", QStringLiteral("?"), false},
    {"bracketRange", QStringLiteral("[a-z]"), false},
    {"hundredThousandCharacters", QString(100000, u'g'), false},
    {"controlCharactersAfterLetter", QStringLiteral("g\r\n\t\x01\x1b\x7f"), false},
    {"nulAfterLetter", QString::fromUtf16(u"g\0", 2), false},
    {"leadingBlank", QStringLiteral(" g"), false},
    {"outsideCodePage", QStringLiteral("\u65E5\u672C"), false},
    {"lookAlikeOfLetterOutsideCodePage", QStringLiteral("\uFF47"), false},
    {"surrogatePair", QStringLiteral("\U0001F600"), false},
    // Guards against a typed host path reaching a game folder outside the mapped drives.
    {"hostPathToGameOutsideDrives", QStringLiteral("{tmp}/outside/x"), false},
    {"upperCaseLetter", QStringLiteral("G"), true},
};

void PrintTo(const DriveRow& row, std::ostream* out) { *out << row.name; }

class DrivePrompt : public Catalogue, public ::testing::WithParamInterface<DriveRow> {};

TEST_P(DrivePrompt, typedText) {
  const DriveRow& row = GetParam();
  writeOnDrive('g', std::string(testsupport::kGameData) + "/aPrefs.cs", "a;\r\n");
  writeOnDrive('g', kGameExe, "x");
  makeDrive('c');
  dir_.writeFile("outside/x:/vandrel/norvik2/gamedata/norvik2.exe", "x");
  dir_.writeFile("outside/x:/vandrel/norvik2/gamedata/bPrefs.cs", "b;\r\n");
  QString typed = row.typed;
  typed.replace(QStringLiteral("{tmp}"), QString::fromStdString(dir_.path().string()));
  const testsupport::TreeSnapshot before = testsupport::TakeSnapshot(dir_.path());

  dialogs_.answer(kAnswerYes);
  dialogs_.type(typed);
  if (!row.found) dialogs_.answer(kAnswerNo);
  ASSERT_EQ(form_->Form_Load(), row.found);

  if (row.found) {
    ASSERT_EQ(dialogs_.boxes().size(), 2);
    EXPECT_EQ(form_->GameDataPath, typed + QStringLiteral(":\\vandrel\\norvik2\\gamedata\\"));
    EXPECT_EQ(items(), QStringList{QStringLiteral("... aPrefs.cs")});
    EXPECT_EQ(changedSince(before), std::vector<std::string>{settingsName()});
  } else {
    ASSERT_EQ(dialogs_.boxes().size(), 3);
    EXPECT_EQ(dialogs_.boxes()[2].title, QStringLiteral("Invalid Drive Letter"));
    EXPECT_EQ(dialogs_.boxes()[2].text,
              QStringLiteral("Drive  ") + typed +
                  QStringLiteral("  does not hold the direcotry to Norvik2.\r\n"
                                 "Would you like to select another drive?"));
    EXPECT_TRUE(changedSince(before).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, DrivePrompt, ::testing::ValuesIn(kDriveRows),
                         RowName<DriveRow>);

// --- Settings files -------------------------------------------------------------------
// Start-up through the prompt (typed "g") writes the folder and reads it back.

struct SettingsRow {
  const char* name;
  std::function<void(const fs::path& ini)> prepare;
  std::optional<std::string> after;  // the file's bytes afterwards; none: left as it was
};

void Write(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}
std::function<void(const fs::path&)> Holding(std::string bytes) {
  return [bytes](const fs::path& ini) { Write(ini, bytes); };
}

const std::string kLongComment = "; " + std::string(10 << 20, 'x') + "\r\n";

const SettingsRow kSettingsRows[] = {
    {"missing", [](const fs::path&) {}, "[NorvikFolder]\r\nNorvik2=" + kStored + "\r\n"},
    {"binaryGarbage", Holding(EveryByte(3)),
     EveryByte(3) + "\n[NorvikFolder]\nNorvik2=" + kStored + "\n"},
    {"noSection", Holding("Norvik2=c:\\old\r\n"),
     "Norvik2=c:\\old\r\n[NorvikFolder]\r\nNorvik2=" + kStored + "\r\n"},
    {"keyTwice", Holding("[NorvikFolder]\r\nNorvik2=a\r\nnorvik2=b\r\n"),
     "[NorvikFolder]\r\nNorvik2=" + kStored + "\r\nnorvik2=b\r\n"},
    {"crOnlyLineEnds", Holding("[NorvikFolder]\rNorvik2=old\r[Other]\rx=1\r"),
     "[NorvikFolder]\rNorvik2=" + kStored + "\r[Other]\rx=1\r"},
    {"tenMegabytes", Holding(kLongComment + "[NorvikFolder]\r\nNorvik2=old\r\n"),
     kLongComment + "[NorvikFolder]\r\nNorvik2=" + kStored + "\r\n"},
    // Too large to be a settings file of ours: neither parsed nor replaced.
    {"twentyMegabytes", Holding(std::string(20 << 20, '\n')), std::nullopt},
    {"folderInItsPlace", [](const fs::path& ini) { fs::create_directory(ini); }, std::nullopt},
    {"fifoInItsPlace", [](const fs::path& ini) { mkfifo(ini.c_str(), 0644); }, std::nullopt},
};

void PrintTo(const SettingsRow& row, std::ostream* out) { *out << row.name; }

class SettingsFile : public Catalogue, public ::testing::WithParamInterface<SettingsRow> {};

TEST_P(SettingsFile, startUpThroughThePrompt) {
  const SettingsRow& row = GetParam();
  writeOnDrive('g', std::string(testsupport::kGameData) + "/aPrefs.cs", "a;\r\n");
  writeOnDrive('g', kGameExe, "x");
  row.prepare(settingsFile());
  const testsupport::TreeSnapshot before = testsupport::TakeSnapshot(dir_.path());

  dialogs_.answer(kAnswerYes);
  dialogs_.type(QStringLiteral("g"));
  ASSERT_TRUE(form_->Form_Load());

  // The folder is used only when it reads back; otherwise the list stays empty.
  if (row.after) {
    EXPECT_EQ(readFile(settingsFile()), *row.after);
    EXPECT_EQ(changedSince(before), std::vector<std::string>{settingsName()});
    EXPECT_EQ(form_->GameDataPath, QString::fromStdString(kStored + "\\"));
    EXPECT_EQ(items(), QStringList{QStringLiteral("... aPrefs.cs")});
  } else {
    EXPECT_TRUE(changedSince(before).empty());
    EXPECT_TRUE(form_->GameDataPath.isEmpty());
    EXPECT_EQ(form_->List1->ListCount(), 0);
  }
  EXPECT_EQ(dialogs_.boxes().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, SettingsFile, ::testing::ValuesIn(kSettingsRows),
                         RowName<SettingsRow>);

// --- Prefs files ------------------------------------------------------------------------
// xPrefs.cs is listed, then (for some rows) turned into something else before the double
// click. A file that opens shows its lines (the list draws at most the first
// kShownCharacters of each), its first line is committed through the text box, and the
// file is saved; one that does not open gives its error box, leaves the list empty and
// nothing to save.

struct PrefsRow {
  const char* name;
  std::string bytes;
  std::function<void(const fs::path& file)> afterListing;
  QString error;  // empty: the file opens
};

const std::string kTenMegabyteLine = std::string(10 << 20, 'x') + ";";

const PrefsRow kPrefsRows[] = {
    {"nulBytes", std::string("a\0b;\r\n\0\r\n   \r\nc;", 14), nullptr, {}},
    {"everyByteValue", EveryByte(1), nullptr, {}},
    {"crOnlyLineEnds", "a;\rb;\r\r  \rc;\r", nullptr, {}},
    {"mixedLineEnds", "a;\r\nb;\nc;\rd;\n\re;", nullptr, {}},
    // Guards against the text box keeping only the first 32767 characters of a line.
    {"fortyThousandCharacterLine", std::string(40000, 'x') + ";\r\nb;", nullptr, {}},
    // Guards against laying the whole line out on every repaint of the list.
    {"tenMegabyteLine", "a;\r\n" + kTenMegabyteLine + "\r\nb;", nullptr, {}},
    {"fifo", "a;\r\n",
     [](const fs::path& f) { fs::remove(f); mkfifo(f.c_str(), 0644); },
     QStringLiteral("Could not open xPrefs.cs.")},
    {"deviceFile", "a;\r\n",
     [](const fs::path& f) { fs::remove(f); fs::create_symlink("/dev/zero", f); },
     QStringLiteral("Could not open xPrefs.cs.")},
    {"goneBeforeOpening", "a;\r\n", [](const fs::path& f) { fs::remove(f); },
     QStringLiteral("Could not open xPrefs.cs.")},
    {"folderInItsPlace", "a;\r\n",
     [](const fs::path& f) { fs::remove(f); fs::create_directory(f); },
     QStringLiteral("Could not open xPrefs.cs.")},
    // Sparse: it costs no disk, and it must be refused before anything is read.
    {"over512MiB", "a;\r\n",
     [](const fs::path& f) { fs::resize_file(f, (512ull << 20) + 1); },
     QStringLiteral("xPrefs.cs is too large to open.")},
};

void PrintTo(const PrefsRow& row, std::ostream* out) { *out << row.name; }

class PrefsFile : public Catalogue, public ::testing::WithParamInterface<PrefsRow> {};

TEST_P(PrefsFile, openEditSave) {
  const PrefsRow& row = GetParam();
  const fs::path file = writeGameFile("xPrefs.cs", row.bytes);
  startWithGame();
  if (row.afterListing) row.afterListing(file);
  const testsupport::TreeSnapshot before = testsupport::TakeSnapshot(dir_.path());

  if (!row.error.isEmpty()) dialogs_.answer(kAnswerOK);
  openEntry(QStringLiteral("xPrefs.cs"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... xPrefs.cs"));

  if (!row.error.isEmpty()) {
    ASSERT_EQ(dialogs_.boxes().size(), 1);
    EXPECT_EQ(dialogs_.boxes()[0].text, row.error);
    EXPECT_EQ(dialogs_.boxes()[0].icon, ui::MsgIcon::Error);
    EXPECT_EQ(form_->List1->ListCount(), 0);
    // Nothing was loaded, so there is nothing a save may write.
    dialogs_.answer(kAnswerOK);
    form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
    EXPECT_EQ(dialogs_.boxes().last().text, QStringLiteral("Save Error"));
    EXPECT_TRUE(changedSince(before).empty());
    return;
  }

  std::vector<std::string> lines = NonBlankLines(row.bytes);
  ASSERT_EQ(form_->List1->ListCount(), static_cast<int>(lines.size()));
  for (int i = 0; i < form_->List1->ListCount(); ++i) {
    ASSERT_EQ(editor::ToCodePage(form_->List1->List(i)), lines[static_cast<size_t>(i)]) << i;
    const QModelIndex index = form_->List1->model()->index(i, 0);
    EXPECT_TRUE(index.data().toString() == form_->List1->List(i).left(ui::ListModel::kShownCharacters))
        << "line " << i << " is drawn from other text";
  }

  // The first line goes through the text box and back unedited ("Syntax Error" adds a
  // ";" when it lacks one), then the file is saved.
  if (!lines[0].ends_with(';')) {
    dialogs_.answer(kAnswerOK);
    lines[0] += ';';
  }
  clickItem(0);
  form_->LineNfile_txt_Click();
  form_->Command2_Click(0);
  form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
  EXPECT_FALSE(form_->Change);
  std::string expected;
  for (const std::string& line : lines) expected += line + "\r\n";
  const std::string written = readFile(file);
  EXPECT_TRUE(written == expected) << written.size() << " bytes written, " << expected.size()
                                   << " expected";
  const std::string saved = "drive_c/" + std::string(testsupport::kGameData) + "/xPrefs.cs";
  EXPECT_EQ(changedSince(before), std::vector<std::string>{saved});
}

INSTANTIATE_TEST_SUITE_P(Catalogue, PrefsFile, ::testing::ValuesIn(kPrefsRows),
                         RowName<PrefsRow>);

}  // namespace
