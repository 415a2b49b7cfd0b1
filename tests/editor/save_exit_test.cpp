#include "support/editor_fixture.h"
#include "support/lines.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

namespace fs = std::filesystem;
using testsupport::readFile;
using ui::kAnswerCancel;
using ui::kAnswerNo;
using ui::kAnswerOK;
using ui::kAnswerYes;

namespace {

const std::string kOriginal = "$pref::a = 1;\r\n\r\n$pref::b = 2;\n  \n$pref::c = 3;";
const std::string kEdited = "$pref::a = 1;\r\n$pref::b = \xE9;\r\n$pref::c = 3;\r\n";
const QString kSaveChanges = QStringLiteral("Save Changes");
const QString kSuccess = QStringLiteral("Success");
const QString kError = QStringLiteral("Error");

// ClientPrefs.cs open with its second line edited, not yet saved.
class SaveExit : public testsupport::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    prefs_ = writeGameFile("ClientPrefs.cs", kOriginal);
    writeGameFile("net/NetPrefs.cs", "$pref::n = 1;\r\n");
    startWithGame();
    openEntry(QStringLiteral("ClientPrefs.cs"));
    editLine(1, QStringLiteral("$pref::b = \xE9;"));
    ASSERT_TRUE(form_->Change);
    dialogs_.clear();
  }
  bool save() { return form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1); }

  fs::path prefs_;
  const QStringList kEditedLines = {QStringLiteral("$pref::a = 1;"), QStringLiteral("$pref::b = \xE9;"),
                                    QStringLiteral("$pref::c = 3;")};
  const QStringList kEntries = {QStringLiteral("... ClientPrefs.cs"), QStringLiteral("... net\\NetPrefs.cs")};
};

TEST_F(SaveExit, save_writesEveryLineWithCrLfInTheCodePage) {
  EXPECT_TRUE(save());
  EXPECT_EQ(readFile(prefs_), kEdited);
  EXPECT_FALSE(form_->Change);
  // The join used the folder's backslash once and trimmed it from the caller's text.
  EXPECT_EQ(form_->GameDataPath, QStringLiteral("c:\\vandrel\\norvik2\\gamedata"));
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
  form_->List1->Clear();
  EXPECT_TRUE(save());
  EXPECT_EQ(readFile(prefs_), "");
}

TEST_F(SaveExit, save_everyByteAndEveryLineComesBackUnchanged) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string bytes = all + "\r\n" + testsupport::ManyLines(20000) + std::string(2 << 20, 'x');
  const fs::path file = writeGameFile("AllPrefs.cs", bytes);
  form_->Change = false;
  form_->Command1_Click();
  openEntry(QStringLiteral("AllPrefs.cs"));
  EXPECT_TRUE(save());
  EXPECT_TRUE(readFile(file) == testsupport::WithCrLf(testsupport::NonBlankLines(bytes)));
}

TEST_F(SaveExit, save_joinsTheFolderAndThePathWithOneBackslash) {
  const std::tuple<QString, QString, QString, bool> rows[] = {
      {QStringLiteral("c:\\vandrel\\norvik2\\gamedata\\"), QStringLiteral("\\ClientPrefs.cs"),
       QStringLiteral("c:\\vandrel\\norvik2\\gamedata"), true},
      {QStringLiteral("c:\\vandrel\\norvik2\\gamedata"), QStringLiteral("\\ClientPrefs.cs"),
       QStringLiteral("c:\\vandrel\\norvik2\\gamedata"), true},
      // No separator is added: "gamedataClientPrefs.cs" names nothing.
      {QStringLiteral("c:\\vandrel\\norvik2\\gamedata"), QStringLiteral("ClientPrefs.cs"),
       QStringLiteral("c:\\vandrel\\norvik2\\gamedata"), false},
      {QStringLiteral("c:\\vandrel\\norvik2\\gamedata\\"), QStringLiteral("ClientPrefs.cs"),
       QStringLiteral("c:\\vandrel\\norvik2\\gamedata\\"), true},
  };
  for (auto [base, file, baseAfter, saved] : rows) {
    form_->Change = true;
    dialogs_.clear();
    if (!saved) dialogs_.answer(kAnswerOK);
    EXPECT_EQ(form_->Save_PrefsFile(base, file, *form_->List1), saved) << file.toStdString();
    EXPECT_EQ(base, baseAfter);
    EXPECT_EQ(form_->Change, !saved);
    EXPECT_EQ(dialogs_.boxes().size(), saved ? 0 : 1);
  }
}

// Guards against a save creating a file that is gone, or writing over one the user made
// read-only (as root too).
TEST_F(SaveExit, save_refusedTargets_showSaveErrorAndStayAsTheyWere) {
  const fs::path gone = dir_.path() / "gone";
  chmod(prefs_.c_str(), 0444);
  for (const bool missing : {false, true}) {
    if (missing) fs::rename(prefs_, gone);
    dialogs_.clear();
    dialogs_.answer(kAnswerOK);
    EXPECT_FALSE(save());
    ASSERT_EQ(dialogs_.boxes().size(), 1);
    const auto& box = dialogs_.boxes()[0];
    EXPECT_EQ(box.text, QStringLiteral("Save Error"));
    EXPECT_EQ(box.title, kError);
    EXPECT_EQ(box.icon, ui::MsgIcon::Error);
    EXPECT_EQ(box.buttons, ui::MsgButtons::OK);
    EXPECT_EQ(readFile(missing ? gone : prefs_), kOriginal);
    EXPECT_EQ(fs::exists(prefs_), !missing);
    EXPECT_TRUE(form_->Change);
  }
}

// Exit, reload and closing from the title bar ask before edits are left behind; a save
// that fails keeps the edits where they are (guards against losing them after "Save Error").
struct FlowRow {
  const char* name;
  enum Way { Exit, TitleBar, Reload } way;
  std::vector<int> answers;
  bool saveFails;
  QStringList titles;
  bool edited;      // the file on disk holds the edit
  bool leftTheFile; // the window closed or shows the file list
};

void PrintTo(const FlowRow& row, std::ostream* out) { *out << row.name; }

const FlowRow kFlows[] = {
    {"exitYes", FlowRow::Exit, {kAnswerYes, kAnswerOK}, false, {kSaveChanges, kSuccess}, true, true},
    {"exitNo", FlowRow::Exit, {kAnswerNo}, false, {kSaveChanges}, false, true},
    {"exitCancel", FlowRow::Exit, {kAnswerCancel}, false, {kSaveChanges}, false, false},
    {"exitYesSaveFails", FlowRow::Exit, {kAnswerYes, kAnswerOK}, true, {kSaveChanges, kError}, false, false},
    {"titleBarYes", FlowRow::TitleBar, {kAnswerYes, kAnswerOK}, false, {kSaveChanges, kSuccess}, true, true},
    {"titleBarCancel", FlowRow::TitleBar, {kAnswerCancel}, false, {kSaveChanges}, false, false},
    {"reloadYes", FlowRow::Reload, {kAnswerYes, kAnswerOK}, false, {kSaveChanges, kSuccess}, true, true},
    {"reloadNo", FlowRow::Reload, {kAnswerNo}, false, {kSaveChanges}, false, true},
    {"reloadYesSaveFails", FlowRow::Reload, {kAnswerYes, kAnswerOK}, true, {kSaveChanges, kError}, false, false},
};

class Flows : public SaveExit, public ::testing::WithParamInterface<FlowRow> {};

TEST_P(Flows, askBeforeLeavingTheEdits) {
  const FlowRow& row = GetParam();
  if (row.saveFails) chmod(prefs_.c_str(), 0444);
  for (const int answer : row.answers) dialogs_.answer(answer);
  if (row.way == FlowRow::Exit) form_->Command3_Click();
  if (row.way == FlowRow::TitleBar) form_->close();
  if (row.way == FlowRow::Reload) form_->Command1_Click();

  EXPECT_EQ(dialogs_.titles(), row.titles);
  const auto& prompt = dialogs_.boxes()[0];
  EXPECT_EQ(prompt.text, QStringLiteral("File contents have changed.\r\n\r\nDo you wish to save changes?"));
  EXPECT_EQ(prompt.icon, ui::MsgIcon::Question);
  EXPECT_EQ(prompt.buttons, row.way == FlowRow::Reload ? ui::MsgButtons::YesNo : ui::MsgButtons::YesNoCancel);
  if (row.titles.contains(kSuccess)) EXPECT_EQ(dialogs_.boxes()[1].icon, ui::MsgIcon::Exclamation);
  EXPECT_EQ(readFile(prefs_), row.edited ? kEdited : kOriginal);
  if (row.way != FlowRow::Reload) {
    EXPECT_EQ(form_->isVisible(), !row.leftTheFile);
    EXPECT_EQ(form_->Change, !row.edited);
    return;
  }
  // A reload that goes on shows the file list with nothing left to save; one that does
  // not stays on the open file.
  EXPECT_EQ(items(), row.leftTheFile ? kEntries : kEditedLines);
  EXPECT_EQ(form_->Change, !row.leftTheFile);
  EXPECT_EQ(form_->windowTitle(), row.leftTheFile ? QStringLiteral("Norvik2 - Prefs Editor")
                                                  : QStringLiteral("Norvik2 - Prefs Editor ... ClientPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\ClientPrefs.cs"));
  EXPECT_TRUE(form_->Command1->isEnabled());
  // Guards against file entries ever counting as unsaved lines.
  if (!row.leftTheFile) dialogs_.answer(kAnswerCancel);
  form_->Command3_Click();
  EXPECT_EQ(dialogs_.boxes().size(), row.titles.size() + (row.leftTheFile ? 0 : 1));
}

INSTANTIATE_TEST_SUITE_P(Editor, Flows, ::testing::ValuesIn(kFlows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveExit, exitWithoutChange_closesAtOnce) {
  form_->Change = false;
  form_->Command3_Click();
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
  EXPECT_FALSE(form_->isVisible());
}

// The list is rebuilt only when the settings file names a folder, and its entries are cut
// by the folder searched (guards against a hand-edited value shifting every entry).
TEST_F(SaveExit, reload_rebuildsFromTheFolderSearched) {
  form_->Change = false;
  const std::pair<std::string, bool> rows[] = {
      {"[NorvikFolder]\r\nNorvik2=x\r\n", true},
      {"[NorvikFolder]\r\nNorvik2=\r\n", false},
      {"", false},
      {"[NorvikFolder]\r\nNorvik2=c:\\vandrel\\norvik2\\gamedata\r\n", true},
  };
  for (const auto& [settings, rebuilt] : rows) {
    form_->List1->AddItem(QStringLiteral("left over"));
    const QStringList before = items();
    dir_.writeFile("program/NorvikPrefs.ini", settings);
    form_->Command2[0]->setEnabled(true);
    form_->List1->SetEnabled(false);
    form_->Command1_Click();
    EXPECT_EQ(items(), rebuilt ? kEntries : before) << settings;
    EXPECT_FALSE(form_->Command2[0]->isEnabled());
    EXPECT_TRUE(form_->List1->isEnabled() && form_->Command1->isEnabled());
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
  }
}

TEST_F(SaveExit, projectLink_handsTheAddressToTheDesktopAndChangesNothing) {
  const fs::path record = dir_.path() / "opened.txt";
  const fs::path opener = dir_.writeFile("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.string() + "'\n");
  chmod(opener.c_str(), 0755);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", opener.parent_path().c_str(), 1);
  const QStringList before = items();
  form_->Label3_Click();
  setenv("PATH", oldPath.c_str(), 1);
  for (int i = 0; i < 200 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readFile(record), "https://stormwarden.example/");
  EXPECT_EQ(items(), before);
  EXPECT_TRUE(form_->Change);
  EXPECT_EQ(form_->Label3->toolTip(), QStringLiteral("Visit Stormwarden"));
}

}  // namespace
