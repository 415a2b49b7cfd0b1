#include "editor/editor_fixture.h"

#include <QPushButton>
#include <QTimer>

using testsupport::EditorFixture;
using testsupport::readFile;
using ui::kAnswerNo;
using ui::kAnswerYes;

namespace {

const QString kSyntaxError = QStringLiteral(
    "You must type a   ;   at the end of each line.\r\n\r\nOne will now be inserted for you.");

class OpenEditTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    writeGameFile("ClientPrefs.cs",
                  "$pref::a = 1;\r\n\r\n   \r\n  $pref::b = \"x y\";  \r\n\t\r\n$pref::a = 1;\r\n"
                  "... not an entry;\r\n$pref::last = 2;");
    writeGameFile("mods/AiPrefs.cs", "$pref::ai = 3;\n");
    startWithGame();
  }
};

}  // namespace

TEST_F(OpenEditTest, doubleClickOnEntry_loadsNonBlankLinesAndNamesFile) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(items(), (QStringList{QStringLiteral("$pref::a = 1;"),
                                  QStringLiteral("  $pref::b = \"x y\";  "), QStringLiteral("\t"),
                                  QStringLiteral("$pref::a = 1;"),
                                  QStringLiteral("... not an entry;"),
                                  QStringLiteral("$pref::last = 2;")}));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... ClientPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\ClientPrefs.cs"));
  EXPECT_TRUE(form_->LineNfile_txt->Text().isEmpty());
  EXPECT_EQ(form_->List1->ListIndex(), -1);
  EXPECT_TRUE(form_->List1->isEnabled());
}

TEST_F(OpenEditTest, nestedEntry_captionShowsOnlyTheFileName) {
  openEntry(QStringLiteral("mods\\AiPrefs.cs"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... AiPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\mods\\AiPrefs.cs"));
  EXPECT_EQ(items(), QStringList{QStringLiteral("$pref::ai = 3;")});
}

TEST_F(OpenEditTest, toolTip_looksAtTheTextBoxBeforeTheClick) {
  clickItem(0);  // the text box held no entry yet
  EXPECT_TRUE(form_->List1->ToolTipText().isEmpty());
  clickItem(1);
  EXPECT_EQ(form_->List1->ToolTipText(), QStringLiteral("Edit File:  ") + form_->List1->List(1));
  EXPECT_EQ(form_->LineNfile_txt->Text(), form_->List1->List(1));
}

TEST_F(OpenEditTest, doubleClickOnALine_changesNothingButTheToolTip) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  const QStringList before = items();
  clickItem(0);
  form_->List1->SetToolTipText(QStringLiteral("stale"));
  form_->List1_DblClick();
  EXPECT_EQ(items(), before);
  EXPECT_TRUE(form_->List1->ToolTipText().isEmpty());
  EXPECT_EQ(form_->LineNfile_txt->Text(), before[0]);
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... ClientPrefs.cs"));
}

TEST_F(OpenEditTest, openingWithoutGameFolder_clearsListAndLoadsNothing) {
  form_->GameDataPath.clear();
  openEntry(QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(form_->List1->ListCount(), 0);
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\ClientPrefs.cs"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
}

TEST_F(OpenEditTest, returnFilename_givesTextAfterLastBackslash) {
  const std::pair<QString, QString> rows[] = {
      {QStringLiteral("a\\b\\cPrefs.cs"), QStringLiteral("cPrefs.cs")},
      {QStringLiteral("\\cPrefs.cs"), QStringLiteral("cPrefs.cs")},
      {QStringLiteral("a\\"), QString()},
      // A prefs file straight in the game folder: the whole text, and it returns.
      {QStringLiteral("cPrefs.cs"), QStringLiteral("cPrefs.cs")},
      {QString(), QString()},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(form_->ReturnFilename(in), out) << in.toStdString();
}

TEST_F(OpenEditTest, commit_replacesTheSelectedLineByPosition) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  editLine(3, QStringLiteral("$pref::a = 9;"));  // the second of two equal lines
  EXPECT_EQ(form_->List1->List(0), QStringLiteral("$pref::a = 1;"));
  EXPECT_EQ(form_->List1->List(3), QStringLiteral("$pref::a = 9;"));
  EXPECT_EQ(form_->List1->ListCount(), 6);
  EXPECT_EQ(form_->List1->ListIndex(), -1);
  EXPECT_TRUE(form_->Change);
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
  EXPECT_FALSE(form_->Command2[0]->isEnabled());
  EXPECT_FALSE(form_->Command2[1]->isEnabled());
  EXPECT_TRUE(form_->List1->isEnabled());
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("$pref::a = 9;"));
}

TEST_F(OpenEditTest, commitWithoutSemicolon_showsSyntaxErrorThenAppends) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  const std::pair<QString, QString> rows[] = {
      {QString(), QStringLiteral(";")},
      {QStringLiteral("$pref::x = 1; "), QStringLiteral("$pref::x = 1; ;")},
      {QStringLiteral("$pref::y = 2"), QStringLiteral("$pref::y = 2;")},
  };
  for (const auto& [typed, stored] : rows) {
    dialogs_.clear();
    dialogs_.answer(ui::kAnswerOK);
    editLine(0, typed);
    ASSERT_EQ(dialogs_.boxes().size(), 1);
    const auto& box = dialogs_.boxes()[0];
    EXPECT_EQ(box.text, kSyntaxError);
    EXPECT_EQ(box.title, QStringLiteral("Syntax Error"));
    EXPECT_EQ(box.icon, ui::MsgIcon::Error);
    EXPECT_EQ(box.buttons, ui::MsgButtons::OK);
    EXPECT_EQ(form_->List1->List(0), stored);
  }
}

TEST_F(OpenEditTest, editingStarts_onlyWithALineSelectedAndNoEntryInTheBox) {
  // File list mode, an entry in the text box: condition A fails.
  clickItem(0);
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(form_->Command2[0]->isEnabled());

  openEntry(QStringLiteral("ClientPrefs.cs"));
  // A line that begins with the marker cannot be edited either.
  clickItem(4);
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(form_->Command2[0]->isEnabled());

  // After a commit nothing is selected: condition B fails.
  editLine(0, QStringLiteral("a;"));
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(form_->Command2[0]->isEnabled());

  clickItem(1);
  form_->LineNfile_txt_Click();
  EXPECT_TRUE(form_->Command2[0]->isEnabled());
  EXPECT_TRUE(form_->Command2[1]->isEnabled());
  EXPECT_FALSE(form_->List1->isEnabled());
}

// Cancel used to clear Change and so drop earlier commits silently at exit.
TEST_F(OpenEditTest, cancel_keepsEarlierCommitsOfferedForSaving) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  editLine(0, QStringLiteral("a;"));
  clickItem(1);
  form_->LineNfile_txt_Click();
  form_->LineNfile_txt->SetText(QStringLiteral("typed"));
  form_->Command2_Click(1);
  EXPECT_TRUE(form_->Change);
  EXPECT_EQ(form_->List1->List(1), QStringLiteral("  $pref::b = \"x y\";  "));
  EXPECT_EQ(form_->List1->ListIndex(), 1);
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("typed"));
  EXPECT_TRUE(form_->List1->isEnabled());
}

// A commit in the file list has no file content to save.
TEST_F(OpenEditTest, commitInFileList_replacesEntryButSetsNoChange) {
  clickItem(0);
  form_->LineNfile_txt->SetText(QStringLiteral("renamed"));
  form_->LineNfile_txt_Click();
  dialogs_.answer(ui::kAnswerOK);
  form_->Command2_Click(0);
  EXPECT_EQ(form_->List1->List(0), QStringLiteral("renamed;"));
  EXPECT_FALSE(form_->Change);
}

TEST_F(OpenEditTest, textBox_neverHoldsALineBreak) {
  form_->LineNfile_txt->SetText(QStringLiteral("first\r\nsecond"));
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("first"));
  form_->LineNfile_txt->SetText(QStringLiteral("one\ntwo"));
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("one"));
}

TEST_F(OpenEditTest, fileThatCannotBeOpened_showsErrorAndLeavesNothingToSave) {
  std::filesystem::remove(dir_.path() / "drive_c" / testsupport::kGameData / "ClientPrefs.cs");
  dialogs_.answer(ui::kAnswerOK);
  openEntry(QStringLiteral("ClientPrefs.cs"));
  ASSERT_EQ(dialogs_.boxes().size(), 1);
  EXPECT_EQ(dialogs_.boxes()[0].title, QStringLiteral("Error"));
  EXPECT_EQ(dialogs_.boxes()[0].icon, ui::MsgIcon::Error);
  EXPECT_TRUE(dialogs_.boxes()[0].text.contains(QStringLiteral("ClientPrefs.cs")));
  EXPECT_EQ(form_->List1->ListCount(), 0);
}

// Opening another file used to drop unsaved edits without a word.
TEST_F(OpenEditTest, openingFromALineWithUnsavedEdits_asksFirst) {
  writeGameFile("BPrefs.cs", "... mods\\AiPrefs.cs\r\n$pref::z = 1;\r\n");
  form_->Command1_Click();
  openEntry(QStringLiteral("BPrefs.cs"));
  editLine(1, QStringLiteral("$pref::z = 2;"));
  clickItem(0);  // reads as a file entry
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(ui::kAnswerOK);
  form_->List1_DblClick();
  ASSERT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(dialogs_.boxes()[0].title, QStringLiteral("Save Changes"));
  EXPECT_EQ(dialogs_.boxes()[0].buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(dialogs_.boxes()[1].title, QStringLiteral("Success"));
  EXPECT_EQ(readFile(dir_.path() / "drive_c" / testsupport::kGameData / "BPrefs.cs"),
            "... mods\\AiPrefs.cs\r\n$pref::z = 2;\r\n");
  EXPECT_FALSE(form_->Change);
  EXPECT_EQ(items(), QStringList{QStringLiteral("$pref::ai = 3;")});
}

// Clicks during a load must neither rebuild the list nor mix two files.
TEST_F(OpenEditTest, reloadAndOpenDuringALoad_areIgnored) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += "$pref::line" + std::to_string(i) + " = 1;\r\n";
  writeGameFile("BigPrefs.cs", big);
  form_->Command1_Click();  // pick the new file up
  dialogs_.clear();

  int clicksDuringLoad = 0;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!form_->Loading()) return;
    ++clicksDuringLoad;
    form_->Command1->click();
    form_->Command3->click();
    form_->LineNfile_txt->SetText(QStringLiteral("... mods\\AiPrefs.cs"));
    form_->List1_DblClick();
  });
  timer.start();
  openEntry(QStringLiteral("BigPrefs.cs"));
  timer.stop();

  EXPECT_GT(clicksDuringLoad, 0);
  EXPECT_EQ(form_->List1->ListCount(), 300000);
  EXPECT_EQ(form_->List1->List(299999), QStringLiteral("$pref::line299999 = 1;"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... BigPrefs.cs"));
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
}

TEST_F(OpenEditTest, closingTheWindowDuringALoad_endsTheLoadThenCloses) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big += "$pref::line" + std::to_string(i) + " = 1;\r\n";
  writeGameFile("BigPrefs.cs", big);
  form_->Command1_Click();
  form_->show();

  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (form_->Loading()) form_->close();
  });
  timer.start();
  openEntry(QStringLiteral("BigPrefs.cs"));
  timer.stop();

  EXPECT_FALSE(form_->isVisible());
  EXPECT_FALSE(form_->Loading());
  EXPECT_LT(form_->List1->ListCount(), 300000);
}
