#include "editor/editor_fixture.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace fs = std::filesystem;
using testsupport::EditorFixture;
using testsupport::readFile;
using ui::kAnswerCancel;
using ui::kAnswerNo;
using ui::kAnswerOK;
using ui::kAnswerYes;

namespace {

const QString kSavePrompt =
    QStringLiteral("File contents have changed.\r\n\r\nDo you wish to save changes?");

class SaveExitTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    prefs_ = writeGameFile("ClientPrefs.cs", "$pref::a = 1;\r\n\r\n$pref::b = 2;\n$pref::c = 3;");
    writeGameFile("net/NetPrefs.cs", "$pref::n = 1;\r\n");
    startWithGame();
    form_->show();
    openEntry(QStringLiteral("ClientPrefs.cs"));
    editLine(1, QStringLiteral("$pref::b = \xE9;"));
    ASSERT_TRUE(form_->Change);
    dialogs_.clear();
  }

  // Closes the window as the title bar would; true when it closed.
  bool closeWindow() {
    form_->close();
    return !form_->isVisible();
  }

  fs::path prefs_;
};

const std::string kEdited = "$pref::a = 1;\r\n$pref::b = \xE9;\r\n$pref::c = 3;\r\n";
const std::string kOriginal = "$pref::a = 1;\r\n\r\n$pref::b = 2;\n$pref::c = 3;";

}  // namespace

TEST_F(SaveExitTest, save_writesEveryLineWithCrLfInTheCodePage) {
  form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
  EXPECT_EQ(readFile(prefs_), kEdited);
  EXPECT_FALSE(form_->Change);
  // The join used the folder's backslash once and trimmed it from the caller's text.
  EXPECT_EQ(form_->GameDataPath, QStringLiteral("c:\\vandrel\\norvik2\\gamedata"));
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
}

TEST_F(SaveExitTest, save_everyCodePageByteRoundTrips) {
  std::string all;
  for (int b = 0x20; b < 0x100; ++b) all += static_cast<char>(b);
  writeGameFile("AllPrefs.cs", all + "\r\n");
  form_->Command1_Click();
  dialogs_.clear();
  openEntry(QStringLiteral("AllPrefs.cs"));
  form_->Change = true;
  form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
  EXPECT_EQ(readFile(dir_.path() / "drive_c" / testsupport::kGameData / "AllPrefs.cs"),
            all + "\r\n");
}

TEST_F(SaveExitTest, save_emptyListGivesEmptyFile) {
  form_->List1->Clear();
  form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
  EXPECT_EQ(readFile(prefs_), "");
}

TEST_F(SaveExitTest, save_basepathTrim) {
  struct Row {
    QString base, file;
    QString baseAfter;
    bool saved;
  };
  const Row rows[] = {
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
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file.toStdString() + " " + row.base.toStdString());
    form_->Change = true;
    dialogs_.clear();
    if (!row.saved) dialogs_.answer(kAnswerOK);
    QString base = row.base;
    form_->Save_PrefsFile(base, row.file, *form_->List1);
    EXPECT_EQ(base, row.baseAfter);
    EXPECT_EQ(form_->Change, !row.saved);
    EXPECT_EQ(dialogs_.boxes().size(), row.saved ? 0 : 1);
  }
}

TEST_F(SaveExitTest, save_missingTargetShowsSaveErrorAndCreatesNothing) {
  fs::remove(prefs_);
  dialogs_.answer(kAnswerOK);
  form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
  ASSERT_EQ(dialogs_.boxes().size(), 1);
  const auto& box = dialogs_.boxes()[0];
  EXPECT_EQ(box.text, QStringLiteral("Save Error"));
  EXPECT_EQ(box.title, QStringLiteral("Error"));
  EXPECT_EQ(box.icon, ui::MsgIcon::Error);
  EXPECT_EQ(box.buttons, ui::MsgButtons::OK);
  EXPECT_FALSE(fs::exists(prefs_));
  EXPECT_TRUE(form_->Change);
}

// Players mark a prefs file read-only to keep the game from rewriting it.
TEST_F(SaveExitTest, save_readOnlyTargetIsLeftAlone) {
  fs::permissions(prefs_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  dialogs_.answer(kAnswerOK);
  form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
  EXPECT_EQ(dialogs_.boxes().size(), 1);
  EXPECT_EQ(readFile(prefs_), kOriginal);
  EXPECT_TRUE(form_->Change);
}

TEST_F(SaveExitTest, exitYes_savesTellsAndCloses) {
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  form_->Command3_Click();
  ASSERT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(dialogs_.boxes()[0].text, kSavePrompt);
  EXPECT_EQ(dialogs_.boxes()[0].title, QStringLiteral("Save Changes"));
  EXPECT_EQ(dialogs_.boxes()[0].icon, ui::MsgIcon::Question);
  EXPECT_EQ(dialogs_.boxes()[0].buttons, ui::MsgButtons::YesNoCancel);
  EXPECT_EQ(dialogs_.boxes()[1].text, QStringLiteral("Changes saved"));
  EXPECT_EQ(dialogs_.boxes()[1].title, QStringLiteral("Success"));
  EXPECT_EQ(dialogs_.boxes()[1].icon, ui::MsgIcon::Exclamation);
  EXPECT_EQ(readFile(prefs_), kEdited);
  EXPECT_FALSE(form_->isVisible());
}

TEST_F(SaveExitTest, exitNo_closesWithoutSaving) {
  dialogs_.answer(kAnswerNo);
  form_->Command3_Click();
  EXPECT_EQ(readFile(prefs_), kOriginal);
  EXPECT_FALSE(form_->isVisible());
}

TEST_F(SaveExitTest, exitCancel_changesNothingAndAsksAgain) {
  dialogs_.answer(kAnswerCancel);
  form_->Command3_Click();
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(form_->Change);
  EXPECT_EQ(form_->List1->ListCount(), 3);
  dialogs_.answer(kAnswerCancel);
  form_->Command3_Click();
  EXPECT_EQ(dialogs_.boxes().size(), 2);
}

TEST_F(SaveExitTest, exitWithoutChange_closesAtOnce) {
  form_->Change = false;
  form_->Command3_Click();
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
  EXPECT_FALSE(form_->isVisible());
}

// A failed save used to be followed by the exit, losing the edits.
TEST_F(SaveExitTest, exitYesWithFailedSave_keepsTheWindowOpen) {
  fs::remove(prefs_);
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  form_->Command3_Click();
  ASSERT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(dialogs_.boxes()[1].text, QStringLiteral("Save Error"));
  EXPECT_TRUE(form_->isVisible());
  EXPECT_TRUE(form_->Change);
}

// Closing from the title bar used to end the program without a question.
TEST_F(SaveExitTest, titleBarClose_asksTheSameQuestion) {
  dialogs_.answer(kAnswerCancel);
  EXPECT_FALSE(closeWindow());
  EXPECT_EQ(dialogs_.boxes().size(), 1);
  EXPECT_EQ(dialogs_.boxes()[0].buttons, ui::MsgButtons::YesNoCancel);
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  EXPECT_TRUE(closeWindow());
  EXPECT_EQ(readFile(prefs_), kEdited);
}

TEST_F(SaveExitTest, reloadYes_savesAndShowsTheFileList) {
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  form_->Command1_Click();
  ASSERT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(dialogs_.boxes()[0].text, kSavePrompt);
  EXPECT_EQ(dialogs_.boxes()[0].buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(readFile(prefs_), kEdited);
  EXPECT_EQ(items(), (QStringList{QStringLiteral("... ClientPrefs.cs"),
                                  QStringLiteral("... net\\NetPrefs.cs")}));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\ClientPrefs.cs"));
  EXPECT_TRUE(form_->Command1->isEnabled());
  EXPECT_FALSE(form_->Change);
}

// After No the file entries must never count as unsaved lines.
TEST_F(SaveExitTest, reloadNo_dropsTheEditsAndClearsChange) {
  dialogs_.answer(kAnswerNo);
  form_->Command1_Click();
  EXPECT_EQ(readFile(prefs_), kOriginal);
  EXPECT_FALSE(form_->Change);
  EXPECT_EQ(form_->List1->ListCount(), 2);
  form_->Command3_Click();  // no prompt, so no file entries are written anywhere
  EXPECT_EQ(dialogs_.boxes().size(), 1);
  EXPECT_EQ(readFile(prefs_), kOriginal);
}

TEST_F(SaveExitTest, reloadWithFailedSave_staysOnTheOpenFile) {
  fs::remove(prefs_);
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  form_->Command1_Click();
  EXPECT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... ClientPrefs.cs"));
  EXPECT_EQ(form_->List1->ListCount(), 3);
  EXPECT_TRUE(form_->Change);
}

TEST_F(SaveExitTest, reloadWithoutSettingsValue_keepsTheListButResetsControls) {
  fs::remove(settingsFile());
  dialogs_.answer(kAnswerNo);
  form_->Command1_Click();
  EXPECT_EQ(form_->List1->ListCount(), 3);
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
  EXPECT_FALSE(form_->Command2[0]->isEnabled());
  EXPECT_TRUE(form_->List1->isEnabled());
}

TEST_F(SaveExitTest, reloadTwice_givesTheSameList) {
  dialogs_.answer(kAnswerNo);
  form_->Command1_Click();
  const QStringList first = items();
  form_->Command1_Click();
  EXPECT_EQ(items(), first);
}

// A hand-edited settings file used to shift every entry by the wrong length.
TEST_F(SaveExitTest, reloadWithOtherSettingsValue_stillCutsByTheSearchedFolder) {
  dir_.writeFile("program/NorvikPrefs.ini", "[NorvikFolder]\r\nNorvik2=x\r\n");
  dialogs_.answer(kAnswerNo);
  form_->Command1_Click();
  EXPECT_EQ(items(), (QStringList{QStringLiteral("... ClientPrefs.cs"),
                                  QStringLiteral("... net\\NetPrefs.cs")}));
}

TEST_F(SaveExitTest, projectLink_handsTheAddressToTheDesktopAndChangesNothing) {
  const fs::path bin = dir_.makeDir("bin");
  const fs::path record = dir_.path() / "opened.txt";
  dir_.writeFile("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.string() + "'\n");
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", bin.c_str(), 1);

  const QStringList before = items();
  form_->Label3_Click();
  setenv("PATH", oldPath.c_str(), 1);

  for (int i = 0; i < 200 && !fs::exists(record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readFile(record), "https://stormwarden.example/");
  EXPECT_EQ(items(), before);
  EXPECT_TRUE(form_->Change);
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
}
