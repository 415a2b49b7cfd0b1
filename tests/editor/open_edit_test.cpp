#include "support/editor_fixture.h"
#include "support/lines.h"

#include <QTest>
#include <QTimer>

using testsupport::readFile;
using ui::kAnswerNo;
using ui::kAnswerOK;
using ui::kAnswerYes;

namespace {

class OpenEdit : public testsupport::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    writeGameFile("ClientPrefs.cs",
                  "$pref::a = 1;\r\n\r\n   \r\n  $pref::b = \"x y\";  \r\n\t\r\n$pref::a = 1;\r\n"
                  "... mods\\AiPrefs.cs\r\n$pref::last = 2;");
    writeGameFile("mods/AiPrefs.cs", "$pref::ai = 3;\n");
    startWithGame();
  }
  bool editing() const { return form_->Command2[0]->isEnabled(); }
  const QStringList kLines = {QStringLiteral("$pref::a = 1;"), QStringLiteral("  $pref::b = \"x y\";  "),
                              QStringLiteral("\t"), QStringLiteral("$pref::a = 1;"),
                              QStringLiteral("... mods\\AiPrefs.cs"), QStringLiteral("$pref::last = 2;")};
};

TEST_F(OpenEdit, doubleClickOnAnEntry_loadsTheNonBlankLinesAndNamesTheFile) {
  const std::tuple<QString, QStringList, QString> rows[] = {
      {QStringLiteral("ClientPrefs.cs"), kLines, QStringLiteral("ClientPrefs.cs")},
      {QStringLiteral("mods\\AiPrefs.cs"), {QStringLiteral("$pref::ai = 3;")}, QStringLiteral("AiPrefs.cs")},
  };
  for (const auto& [entry, lines, name] : rows) {
    form_->Command1_Click();
    openEntry(entry);
    EXPECT_EQ(items(), lines);
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... ") + name);
    EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\") + entry);
    EXPECT_TRUE(form_->LineNfile_txt->Text().isEmpty());
    EXPECT_EQ(form_->List1->ListIndex(), -1);
    EXPECT_TRUE(form_->List1->isEnabled());
  }
}

TEST_F(OpenEdit, clicks_copyTheItemAndSetTheToolTipFromWhatTheBoxHeldBefore) {
  clickItem(0);  // the text box held no entry yet
  EXPECT_TRUE(form_->List1->ToolTipText().isEmpty());
  clickItem(1);
  EXPECT_EQ(form_->List1->ToolTipText(), QStringLiteral("Edit File:  ") + form_->List1->List(1));
  EXPECT_EQ(form_->LineNfile_txt->Text(), form_->List1->List(1));

  openEntry(QStringLiteral("ClientPrefs.cs"));
  clickItem(4);  // a line that reads as a file entry
  clickItem(0);
  EXPECT_EQ(form_->List1->ToolTipText(), QStringLiteral("Edit File:  ") + kLines[0]);
  // A double click on a line is no opening: only the tool tip goes.
  form_->List1_DblClick();
  EXPECT_EQ(items(), kLines);
  EXPECT_TRUE(form_->List1->ToolTipText().isEmpty());
  EXPECT_EQ(form_->LineNfile_txt->Text(), kLines[0]);
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... ClientPrefs.cs"));
}

TEST_F(OpenEdit, openingWithoutAGameFolder_clearsTheListAndLoadsNothing) {
  form_->GameDataPath.clear();
  openEntry(QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(form_->List1->ListCount(), 0);
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\ClientPrefs.cs"));
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
}

TEST_F(OpenEdit, returnFilename_givesTheTextAfterTheLastBackslash) {
  const std::pair<QString, QString> rows[] = {
      {QStringLiteral("a\\b\\cPrefs.cs"), QStringLiteral("cPrefs.cs")},
      {QStringLiteral("\\cPrefs.cs"), QStringLiteral("cPrefs.cs")},
      {QStringLiteral("a\\"), QString()},
      // A prefs file straight in the game folder has no backslash: the whole text.
      {QStringLiteral("cPrefs.cs"), QStringLiteral("cPrefs.cs")},
      {QString(), QString()},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(form_->ReturnFilename(in), out) << in.toStdString();
}

TEST_F(OpenEdit, commit_replacesTheSelectedLineByPosition_addingAMissingSemicolon) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  const std::tuple<int, QString, QString> rows[] = {
      {3, QStringLiteral("$pref::a = 9;"), QStringLiteral("$pref::a = 9;")},  // the second of two equal lines
      {0, QString(), QStringLiteral(";")},
      {1, QStringLiteral("$pref::x = 1; "), QStringLiteral("$pref::x = 1; ;")},
      {5, QStringLiteral("$pref::y = 2"), QStringLiteral("$pref::y = 2;")},
      // Guards against a character the file cannot hold being shown, then saved as "?".
      {2, QStringLiteral("$pref::\u03A9 = 1;"), QStringLiteral("$pref::? = 1;")},
  };
  QStringList expected = kLines;
  for (const auto& [index, typed, stored] : rows) {
    dialogs_.clear();
    const bool warned = !typed.endsWith(u';');
    if (warned) dialogs_.answer(kAnswerOK);
    editLine(index, typed);
    expected[index] = stored;
    EXPECT_EQ(items(), expected);
    EXPECT_EQ(dialogs_.boxes().size(), warned ? 1 : 0);
    if (warned) {
      const auto& box = dialogs_.boxes()[0];
      EXPECT_EQ(box.text, QStringLiteral("You must type a   ;   at the end of each line.\r\n\r\n"
                                         "One will now be inserted for you."));
      EXPECT_EQ(box.title, QStringLiteral("Syntax Error"));
      EXPECT_EQ(box.icon, ui::MsgIcon::Error);
      EXPECT_EQ(box.buttons, ui::MsgButtons::OK);
    }
    EXPECT_EQ(form_->List1->ListIndex(), -1);
    EXPECT_TRUE(form_->Change);
    EXPECT_FALSE(editing() || form_->Command2[1]->isEnabled());
    EXPECT_TRUE(form_->List1->isEnabled() && form_->focusWidget() == form_->List1);
    EXPECT_EQ(form_->LineNfile_txt->Text(), stored);
  }
}

TEST_F(OpenEdit, editingStarts_onlyWithALineSelectedAndNoEntryInTheBox) {
  clickItem(0);  // an entry in the text box
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing());
  openEntry(QStringLiteral("ClientPrefs.cs"));
  clickItem(4);  // a line that begins with the marker
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing());
  editLine(0, QStringLiteral("a;"));  // after a commit nothing is selected
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing());
  clickItem(1);
  form_->LineNfile_txt_Click();
  EXPECT_TRUE(editing() && form_->Command2[1]->isEnabled());
  EXPECT_FALSE(form_->List1->isEnabled());
}

// Guards against Cancel clearing Change and so dropping earlier commits silently at exit.
TEST_F(OpenEdit, cancel_keepsEarlierCommitsOfferedForSaving) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  editLine(0, QStringLiteral("a;"));
  clickItem(1);
  form_->LineNfile_txt_Click();
  form_->LineNfile_txt->SetText(QStringLiteral("typed"));
  form_->Command2_Click(1);
  EXPECT_TRUE(form_->Change);
  EXPECT_EQ(form_->List1->List(1), kLines[1]);
  EXPECT_EQ(form_->List1->ListIndex(), 1);
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("typed"));
  EXPECT_TRUE(form_->List1->isEnabled() && !editing());
}

// Guards against a commit in the file list counting as an edit of a file.
TEST_F(OpenEdit, commitInTheFileList_replacesTheEntryButSetsNoChange) {
  clickItem(0);
  form_->LineNfile_txt->SetText(QStringLiteral("renamed;"));
  form_->LineNfile_txt_Click();
  form_->Command2_Click(0);
  EXPECT_EQ(form_->List1->List(0), QStringLiteral("renamed;"));
  EXPECT_FALSE(form_->Change);
}

// Guards against a file that did not load being taken for an empty file a save may write.
TEST_F(OpenEdit, aFileThatDoesNotLoad_showsWhyAndLeavesNothingToSave) {
  const std::pair<std::function<void(const std::filesystem::path&)>, QString> rows[] = {
      {[](const std::filesystem::path& f) { std::filesystem::remove(f); },
       QStringLiteral("Could not open ClientPrefs.cs.")},
      {[](const std::filesystem::path& f) { std::filesystem::resize_file(f, FileMisc::kMaxLoadBytes + 1); },
       QStringLiteral("ClientPrefs.cs is too large to open.")},
  };
  const auto file = dir_.path() / "drive_c" / testsupport::kGameData / "ClientPrefs.cs";
  for (const auto& [spoil, message] : rows) {
    writeGameFile("ClientPrefs.cs", "a;\r\n");
    form_->Command1_Click();
    spoil(file);
    dialogs_.clear();
    dialogs_.answer(kAnswerOK);
    dialogs_.answer(kAnswerOK);
    openEntry(QStringLiteral("ClientPrefs.cs"));
    EXPECT_EQ(form_->List1->ListCount(), 0);
    form_->Change = true;
    EXPECT_FALSE(form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1));
    EXPECT_EQ(dialogs_.titles(), (QStringList{QStringLiteral("Error"), QStringLiteral("Error")}));
    EXPECT_EQ(dialogs_.boxes()[0].text, message);
    EXPECT_EQ(dialogs_.boxes()[1].text, QStringLiteral("Save Error"));
    form_->Change = false;
  }
}

// Guards against opening another file dropping unsaved edits without a question.
TEST_F(OpenEdit, openingFromALineWithUnsavedEdits_asksFirst) {
  writeGameFile("BPrefs.cs", "... mods\\AiPrefs.cs\r\n$pref::z = 1;\r\n");
  form_->Command1_Click();
  openEntry(QStringLiteral("BPrefs.cs"));
  editLine(1, QStringLiteral("$pref::z = 2;"));
  clickItem(0);  // reads as a file entry
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  form_->List1_DblClick();
  EXPECT_EQ(dialogs_.titles(), (QStringList{QStringLiteral("Save Changes"), QStringLiteral("Success")}));
  EXPECT_EQ(dialogs_.boxes()[0].buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(readFile(dir_.path() / "drive_c" / testsupport::kGameData / "BPrefs.cs"),
            "... mods\\AiPrefs.cs\r\n$pref::z = 2;\r\n");
  EXPECT_FALSE(form_->Change);
  EXPECT_EQ(items(), QStringList{QStringLiteral("$pref::ai = 3;")});
}

class DuringALoad : public OpenEdit {
 protected:
  // Opens a file of 300000 lines, running `during` between rounds of the load.
  int openBigFile(const std::function<void()>& during) {
    writeGameFile("BigPrefs.cs", testsupport::ManyLines(300000));
    form_->Command1_Click();
    int rounds = 0;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      if (!form_->Loading()) return;
      ++rounds;
      during();
    });
    timer.start();
    openEntry(QStringLiteral("BigPrefs.cs"));
    return rounds;
  }
};

// Guards against a click during a load selecting a line, filling the text box, rebuilding
// the list or opening another file (the load would mix two files or end with a line
// selected that a commit then overwrites).
TEST_F(DuringALoad, whatTheUserDoes_changesNothing) {
  auto rowCentre = [this](int row) { return form_->List1->visualRect(form_->List1->model()->index(row, 0)).center(); };
  EXPECT_GT(openBigFile([&] {
              QTest::mouseClick(form_->List1->viewport(), Qt::LeftButton, {}, rowCentre(1));
              QTest::keyClick(form_->List1, Qt::Key_Down);
              QTest::keyClicks(form_->LineNfile_txt, QStringLiteral("typed"));
              form_->LineNfile_txt_Click();
              form_->Command1->click();
              form_->Command3->click();
              form_->LineNfile_txt->SetText(QStringLiteral("... mods\\AiPrefs.cs"));
              form_->List1_DblClick();
            }),
            0);
  EXPECT_EQ(form_->List1->ListCount(), 300000);
  EXPECT_EQ(form_->List1->List(299999), QStringLiteral("$pref::line299999 = 1;"));
  EXPECT_EQ(form_->List1->ListIndex(), -1);
  EXPECT_TRUE(form_->LineNfile_txt->Text().isEmpty());
  EXPECT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor ... BigPrefs.cs"));
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing() || form_->Change);
  EXPECT_TRUE(dialogs_.boxes().isEmpty());
  // Typing works again once the load is over.
  QTest::keyClicks(form_->LineNfile_txt, QStringLiteral("x"));
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("x"));
}

TEST_F(DuringALoad, closingTheWindow_endsTheLoadThenCloses) {
  openBigFile([this] { form_->close(); });
  EXPECT_FALSE(form_->isVisible());
  EXPECT_FALSE(form_->Loading());
  EXPECT_LT(form_->List1->ListCount(), 300000);
}

// Guards against an error escaping a handler taking the program down without a word.
TEST_F(OpenEdit, anErrorInAHandler_isShownAndEndsTheProgram) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  clickItem(0);
  form_->LineNfile_txt_Click();
  form_->LineNfile_txt->SetText(QStringLiteral("no semicolon"));
  dialogs_.answer(ui::ScriptedDialogs::kThrow);  // the "Syntax Error" box fails
  dialogs_.answer(kAnswerOK);
  form_->Command2[0]->click();
  EXPECT_EQ(fatalErrors_, 1);
  ASSERT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(dialogs_.boxes()[1].text, QStringLiteral("out of room"));
  EXPECT_EQ(dialogs_.boxes()[1].icon, ui::MsgIcon::Error);
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(items(), kLines);  // the handler did not go on half done
}

}  // namespace
