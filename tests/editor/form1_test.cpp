// The window's handlers, for what the soak test's random steps do not show: the exact
// boxes, the tool tip, the refusals, loads that fail or are interrupted, and closing.

#include <sys/stat.h>

#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "support/editor_fixture.h"
#include "support/lines.h"

namespace fs = std::filesystem;
using testsupport::readFile;
using namespace ui;

namespace {

const QString kCaption = QStringLiteral("Norvik2 - Prefs Editor");
const std::string kClient = "$a = 1;\r\n\r\n   \r\n  $b = \"x y\";  \r\n\t\r\n$a = 1;\r\n... mods\\AiPrefs.cs\r\n$z = 2;";

class Form1Test : public testsupport::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    client_ = writeGameFile("ClientPrefs.cs", kClient);
    writeGameFile("mods/AiPrefs.cs", "$ai = 3;\n");
    startWithGame();
  }
  bool editing() const { return form_->Command2[0]->isEnabled() && form_->Command2[1]->isEnabled(); }
  QString toolTip() const { return form_->List1->ToolTipText(); }

  fs::path client_;
  const QStringList kLines = {QStringLiteral("$a = 1;"), QStringLiteral("  $b = \"x y\";  "), QStringLiteral("\t"),
                              QStringLiteral("$a = 1;"), QStringLiteral("... mods\\AiPrefs.cs"), QStringLiteral("$z = 2;")};
};

TEST_F(Form1Test, clicksCopyTheItem_theToolTipLooksAtWhatTheBoxHeldBefore) {
  clickItem(0);  // the text box held no entry yet
  EXPECT_TRUE(toolTip().isEmpty());
  clickItem(1);
  EXPECT_EQ(toolTip(), QStringLiteral("Edit File:  ... mods\\AiPrefs.cs"));
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("... mods\\AiPrefs.cs"));
  form_->List1_DblClick();
  EXPECT_TRUE(toolTip().isEmpty());
  EXPECT_EQ(form_->windowTitle(), kCaption + QStringLiteral(" ... AiPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\mods\\AiPrefs.cs"));
  form_->Command1_Click();
  openEntry(QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(items(), kLines);
  clickItem(4);  // a line that reads as a file entry
  clickItem(0);
  EXPECT_EQ(toolTip(), QStringLiteral("Edit File:  ") + kLines[0]);
  form_->List1_DblClick();  // on a line: only the tool tip goes
  EXPECT_TRUE(toolTip().isEmpty() && form_->LineNfile_txt->Text() == kLines[0] && items() == kLines);
  const std::pair<QString, QString> names[] = {{QStringLiteral("a\\b\\c.cs"), QStringLiteral("c.cs")},
      {QStringLiteral("\\c.cs"), QStringLiteral("c.cs")}, {QStringLiteral("a\\"), QString()}, {QStringLiteral("c.cs"), QStringLiteral("c.cs")}};
  for (const auto& [path, name] : names) EXPECT_EQ(form_->ReturnFilename(path), name);
}

TEST_F(Form1Test, openingWithoutAGameFolder_clearsTheListAndLoadsNothing) {
  form_->GameDataPath.clear();
  openEntry(QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(form_->List1->ListCount(), 0);
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("ClientPrefs.cs"));
  EXPECT_EQ(form_->OpenFilePath, QStringLiteral("\\ClientPrefs.cs"));
  EXPECT_EQ(form_->windowTitle(), kCaption);
}

TEST_F(Form1Test, commitReplacesTheSelectedLineByPosition_addingAMissingSemicolon) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  const std::tuple<int, QString, QString> rows[] = {
      {3, QStringLiteral("$a = 9;"), QStringLiteral("$a = 9;")},  // the second of two equal lines
      {0, QString(), QStringLiteral(";")}, {1, QStringLiteral("$x = 1; "), QStringLiteral("$x = 1; ;")},
      // Guards against a character the file cannot hold being shown, then saved as "?".
      {2, QStringLiteral("$\u03A9 = 1;"), QStringLiteral("$? = 1;")},
  };
  QStringList expected = kLines;
  for (const auto& [index, typed, stored] : rows) {
    dialogs_.clear();
    if (!typed.endsWith(u';')) dialogs_.answer(kAnswerOK);
    editLine(index, typed);
    expected[index] = stored;
    EXPECT_EQ(items(), expected);
    EXPECT_EQ(form_->LineNfile_txt->Text(), stored);
  }
  ASSERT_EQ(dialogs_.boxes().size(), 0);
  dialogs_.answer(kAnswerOK);
  editLine(5, QStringLiteral("no semicolon"));
  ASSERT_EQ(dialogs_.boxes().size(), 1);
  const auto& box = dialogs_.boxes()[0];
  EXPECT_EQ(box.text, QStringLiteral("You must type a   ;   at the end of each line.\r\n\r\nOne will now be inserted for you."));
  EXPECT_TRUE(box.title == QStringLiteral("Syntax Error") && box.icon == MsgIcon::Error && box.buttons == MsgButtons::OK);
  EXPECT_EQ(form_->List1->List(5), QStringLiteral("no semicolon;"));
  EXPECT_TRUE(form_->Change && form_->focusWidget() == form_->List1);
}

// Editing needs a selected line and no file entry in the box; a commit in the file list
// replaces the entry but is no edit of a file (guards against it counting as one).
TEST_F(Form1Test, editingStarts_onlyWithALineSelectedAndNoEntryInTheBox) {
  clickItem(0);
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing());
  form_->LineNfile_txt->SetText(QStringLiteral("renamed;"));
  form_->LineNfile_txt_Click();
  EXPECT_TRUE(editing() && !form_->List1->isEnabled());
  form_->Command2_Click(0);
  EXPECT_EQ(form_->List1->List(0), QStringLiteral("renamed;"));
  EXPECT_FALSE(form_->Change);
  form_->Command1_Click();
  openEntry(QStringLiteral("ClientPrefs.cs"));
  clickItem(4);  // a line that begins with the marker
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing());
  editLine(0, QStringLiteral("a;"));  // after a commit nothing is selected
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing());
}

// Guards against a file that did not load being taken for an empty file a save may write.
TEST_F(Form1Test, aFileThatDoesNotLoad_showsWhyAndLeavesNothingToSave) {
  const std::pair<std::function<void()>, QString> rows[] = {
      {[&] { fs::remove(client_); }, QStringLiteral("Could not open ClientPrefs.cs.")},
      {[&] { fs::resize_file(client_, FileMisc::kMaxLoadBytes + 1); }, QStringLiteral("ClientPrefs.cs is too large to open.")},
  };
  for (const auto& [spoil, message] : rows) {
    spoil();
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
    writeGameFile("ClientPrefs.cs", kClient);
    form_->Command1_Click();
  }
}

// Guards against opening another file dropping unsaved edits without a question.
TEST_F(Form1Test, openingFromALineWithUnsavedEdits_asksFirst) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  editLine(0, QStringLiteral("$a = 2;"));
  clickItem(4);  // reads as a file entry
  dialogs_.answer(kAnswerYes);
  dialogs_.answer(kAnswerOK);
  form_->List1_DblClick();
  EXPECT_EQ(dialogs_.titles(), (QStringList{QStringLiteral("Save Changes"), QStringLiteral("Success")}));
  EXPECT_EQ(dialogs_.boxes()[0].buttons, MsgButtons::YesNo);
  EXPECT_TRUE(readFile(client_).starts_with("$a = 2;\r\n  $b"));
  EXPECT_FALSE(form_->Change);
  EXPECT_EQ(items(), QStringList{QStringLiteral("$ai = 3;")});
}

// Opens a file of 300000 lines, running `during` between rounds of the load.
int OpenBigFile(Form1& form, const std::function<void()>& during) {
  int rounds = 0;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] { rounds += form.Loading() ? (during(), 1) : 0; });
  timer.start();
  form.Command1_Click();
  form.List1->SetListIndex(0);
  form.List1_Click();
  form.List1_DblClick();
  return rounds;
}

// Guards against a click during a load selecting a line, filling the text box, rebuilding
// the list or opening another file (the load would mix two files, or end with a line
// selected that a later commit overwrites).
TEST_F(Form1Test, duringALoad_whatTheUserDoesChangesNothing_closingEndsTheLoadFirst) {
  writeGameFile("BigPrefs.cs", testsupport::ManyLines(300000));
  auto centre = [this](int row) { return form_->List1->visualRect(form_->List1->model()->index(row, 0)).center(); };
  EXPECT_GT(OpenBigFile(*form_, [&] {
              QTest::mouseClick(form_->List1->viewport(), Qt::LeftButton, {}, centre(1));
              QTest::keyClick(form_->List1, Qt::Key_Down);
              QTest::keyClicks(form_->LineNfile_txt, QStringLiteral("typed"));
              form_->LineNfile_txt_Click();
              form_->Command1->click();
              form_->Command3->click();
              form_->LineNfile_txt->SetText(QStringLiteral("... mods\\AiPrefs.cs"));
              form_->List1_DblClick();
            }), 0);
  EXPECT_EQ(form_->List1->List(299999), QStringLiteral("$pref::line299999 = 1;"));
  EXPECT_EQ(form_->List1->ListCount(), 300000);
  EXPECT_EQ(form_->List1->ListIndex(), -1);
  EXPECT_TRUE(form_->LineNfile_txt->Text().isEmpty());
  EXPECT_EQ(form_->windowTitle(), kCaption + QStringLiteral(" ... BigPrefs.cs"));
  form_->LineNfile_txt_Click();
  EXPECT_FALSE(editing() || form_->Change || !dialogs_.boxes().isEmpty());
  QTest::keyClicks(form_->LineNfile_txt, QStringLiteral("x"));  // typing works again
  EXPECT_EQ(form_->LineNfile_txt->Text(), QStringLiteral("x"));

  OpenBigFile(*form_, [this] { form_->close(); });
  EXPECT_FALSE(form_->isVisible() || form_->Loading());
  EXPECT_LT(form_->List1->ListCount(), 300000);
}

// Guards against an error escaping a handler taking the program down without a word, or
// the handler going on half done.
TEST_F(Form1Test, anErrorInAHandler_isShownAndEndsTheProgram) {
  openEntry(QStringLiteral("ClientPrefs.cs"));
  clickItem(0);
  form_->LineNfile_txt_Click();
  form_->LineNfile_txt->SetText(QStringLiteral("no semicolon"));
  dialogs_.answer(ScriptedDialogs::kThrow);  // the "Syntax Error" box fails
  dialogs_.answer(kAnswerOK);
  form_->Command2[0]->click();
  EXPECT_EQ(fatalErrors_, 1);
  ASSERT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_TRUE(dialogs_.boxes()[1].text == QStringLiteral("out of room") && dialogs_.boxes()[1].icon == MsgIcon::Error);
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(items(), kLines);
}

// The target is the folder joined to the path with one backslash, taken off the folder;
// a save never creates a file nor writes over one made read-only (as root too).
TEST_F(Form1Test, save_joinsWithOneBackslash_refusesWhatIsNoWritableFile) {
  openEntry(QStringLiteral("mods\\AiPrefs.cs"));
  const QString folder = QStringLiteral("c:\\vandrel\\norvik2\\gamedata");
  const std::tuple<QString, QString, QString, bool> rows[] = {
      {folder + u'\\', QStringLiteral("\\mods\\AiPrefs.cs"), folder, true},
      {folder, QStringLiteral("\\mods\\AiPrefs.cs"), folder, true},
      {folder, QStringLiteral("mods\\AiPrefs.cs"), folder, false},  // "gamedatamods" names nothing
      {folder + u'\\', QStringLiteral("mods\\AiPrefs.cs"), folder + u'\\', true},
      {folder, QStringLiteral("\\mods\\GonePrefs.cs"), folder, false},
      {folder, QStringLiteral("\\ClientPrefs.cs"), folder, false},  // made read-only below
  };
  chmod(client_.c_str(), 0444);
  for (auto [base, file, baseAfter, saved] : rows) {
    form_->Change = true;
    dialogs_.clear();
    if (!saved) dialogs_.answer(kAnswerOK);
    EXPECT_EQ(form_->Save_PrefsFile(base, file, *form_->List1), saved) << file.toStdString();
    EXPECT_TRUE(base == baseAfter && form_->Change == !saved);
    EXPECT_EQ(dialogs_.titles(), saved ? QStringList() : QStringList{QStringLiteral("Error")});
  }
  EXPECT_EQ(readFile(client_), kClient);
  EXPECT_FALSE(fs::exists(dir_.path() / "drive_c" / testsupport::kGameData / "mods/GonePrefs.cs"));
}

// Exit and closing from the title bar ask before edits are left behind, and close once
// they are saved or given up; a save that fails keeps the window (guards against losing
// the edits after "Save Error").
TEST_F(Form1Test, exitAndTitleBar_askFirst) {
  const std::tuple<bool, std::vector<int>, bool, bool> rows[] = {
      // exit button, answers, closed, saved
      {true, {kAnswerYes, kAnswerOK}, true, true}, {true, {kAnswerNo}, true, false},
      {false, {kAnswerYes, kAnswerOK}, true, true}, {false, {kAnswerCancel}, false, false},
      {true, {kAnswerYes, kAnswerOK}, false, false}, {true, {}, true, false},
  };
  for (const auto& [button, answers, closed, saved] : rows) {
    writeGameFile("ClientPrefs.cs", kClient);
    form_->show();
    form_->Command1_Click();
    openEntry(QStringLiteral("ClientPrefs.cs"));
    if (!answers.empty()) editLine(0, QStringLiteral("$a = 5;"));
    if (!closed) chmod(client_.c_str(), 0444);  // the save fails
    dialogs_.clear();
    for (const int answer : answers) dialogs_.answer(answer);
    button ? form_->Command3_Click() : (void)form_->close();
    chmod(client_.c_str(), 0644);
    EXPECT_EQ(form_->isVisible(), !closed);
    EXPECT_EQ(readFile(client_).starts_with("$a = 5;"), saved);
    EXPECT_EQ(dialogs_.boxes().size(), answers.size());
    if (answers.empty()) continue;
    const auto& prompt = dialogs_.boxes()[0];
    EXPECT_EQ(prompt.text, QStringLiteral("File contents have changed.\r\n\r\nDo you wish to save changes?"));
    EXPECT_TRUE(prompt.title == QStringLiteral("Save Changes") && prompt.icon == MsgIcon::Question);
    EXPECT_EQ(prompt.buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(!saved || (dialogs_.boxes()[1].title == QStringLiteral("Success") && dialogs_.boxes()[1].icon == MsgIcon::Exclamation));
    form_->Change = false;
  }
}

// The list is rebuilt only when the settings file names a folder, and its entries are cut
// by the folder searched (guards against a hand-edited value shifting every entry).
TEST_F(Form1Test, reload_rebuildsFromTheFolderSearched) {
  const QStringList entries = {QStringLiteral("... ClientPrefs.cs"), QStringLiteral("... mods\\AiPrefs.cs")};
  const std::pair<std::string, bool> rows[] = {
      {"[NorvikFolder]\r\nNorvik2=x\r\n", true}, {"[NorvikFolder]\r\nNorvik2=\r\n", false}, {"", false},
      {"[NorvikFolder]\r\nNorvik2=c:\\vandrel\\norvik2\\gamedata\r\n", true},
  };
  for (const auto& [settings, rebuilt] : rows) {
    form_->List1->AddItem(QStringLiteral("left over"));
    const QStringList before = items();
    dir_.writeFile("program/NorvikPrefs.ini", settings);
    form_->Command2[0]->setEnabled(true);
    form_->List1->SetEnabled(false);
    form_->Command1_Click();
    EXPECT_EQ(items(), rebuilt ? entries : before) << settings;
    EXPECT_TRUE(!form_->Command2[0]->isEnabled() && form_->List1->isEnabled() && form_->Command1->isEnabled());
  }
}

TEST_F(Form1Test, projectLink_handsTheAddressToTheDesktopAndChangesNothing) {
  const fs::path record = dir_.path() / "opened.txt";
  const fs::path opener = dir_.writeFile("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.string() + "'\n");
  chmod(opener.c_str(), 0755);
  const std::string path = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", opener.parent_path().c_str(), 1);
  form_->Label3_Click();
  setenv("PATH", path.c_str(), 1);
  for (int i = 0; i < 200 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readFile(record), "https://stormwarden.example/");
  EXPECT_EQ(items().size(), 2);
  EXPECT_EQ(form_->Label3->toolTip(), QStringLiteral("Visit Stormwarden"));
}

}  // namespace
