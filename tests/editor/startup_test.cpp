#include "editor/editor_fixture.h"

#include <QApplication>
#include <QFontInfo>
#include <QPushButton>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::EditorFixture;
using testsupport::readFile;
using ui::kAnswerNo;
using ui::kAnswerYes;
using ui::MsgButtons;
using ui::MsgIcon;
using Box = ui::ScriptedDialogs::Box;
using Kind = ui::ScriptedDialogs::Kind;

namespace {

const QString kDisclaimerText = QStringLiteral(
    "This program is \"AS-IS\" and YOU are fully responsible when using this program!\r\n\r\n"
    "You may not charge fault to Oskvarl nor anyone affiliated with Oskvarl when using this "
    "program.\r\n\r\n"
    "You consent in this agreement by using this program.\r\n\r\n"
    "Do you agree?");
const QString kPrompt = QStringLiteral("Type the drive letter below.\r\n\r\nExample:  C");

QString invalidDrive(const QString& typed) {
  return QStringLiteral("Drive  ") + typed +
         QStringLiteral("  does not hold the direcotry to Norvik2.\r\n"
                        "Would you like to select another drive?");
}

void expectBox(const Box& box, Kind kind, const QString& text, const QString& title,
               MsgIcon icon, MsgButtons buttons) {
  EXPECT_EQ(box.kind, kind);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.title, title);
  if (kind == Kind::Message) {
    EXPECT_EQ(box.icon, icon);
    EXPECT_EQ(box.buttons, buttons);
  }
}

class StartupTest : public EditorFixture {
 protected:
  void gameOn(char drive) { writeOnDrive(drive, "vandrel/norvik2/gamedata/norvik2.exe", "x"); }
};

}  // namespace

TEST_F(StartupTest, disclaimerNo_endsBeforeAnythingIsTestedOrWritten) {
  gameOn('c');
  dialogs_.answer(kAnswerNo);
  EXPECT_FALSE(form_->Form_Load());
  ASSERT_EQ(dialogs_.boxes().size(), 1);
  expectBox(dialogs_.boxes()[0], Kind::Message, kDisclaimerText, QStringLiteral("Disclaimer"),
            MsgIcon::Exclamation, MsgButtons::YesNo);
  EXPECT_FALSE(fs::exists(settingsFile()));
  EXPECT_TRUE(form_->GameDataPath.isEmpty());
  EXPECT_EQ(form_->List1->ListCount(), 0);
}

TEST_F(StartupTest, probeHitOnC_listsFilesAndRecordsFolder) {
  gameOn('c');
  gameOn('d');  // c: comes first; d: is never used
  writeOnDrive('c', "vandrel/norvik2/gamedata/ClientPrefs.cs", "$pref::a = 1;\r\n");
  writeOnDrive('c', "vandrel/norvik2/gamedata/sub/deeper/AiPrefs.cs", "x;\r\n");
  writeOnDrive('c', "vandrel/norvik2/gamedata/sub/clientprefs.cs", "x;\r\n");
  dialogs_.answer(kAnswerYes);
  ASSERT_TRUE(form_->Form_Load());

  EXPECT_EQ(dialogs_.boxes().size(), 1);  // the disclaimer alone
  EXPECT_EQ(form_->GameDataPath, QStringLiteral("c:\\vandrel\\norvik2\\gamedata\\"));
  EXPECT_EQ(readFile(settingsFile()),
            "[NorvikFolder]\r\nNorvik2=c:\\vandrel\\norvik2\\gamedata\r\n");
  EXPECT_EQ(items(), (QStringList{QStringLiteral("... ClientPrefs.cs"),
                                  QStringLiteral("... sub\\deeper\\AiPrefs.cs")}));
}

TEST_F(StartupTest, probeHitOnF_afterCdeMissWritesF) {
  gameOn('f');
  dialogs_.answer(kAnswerYes);
  ASSERT_TRUE(form_->Form_Load());
  EXPECT_EQ(form_->GameDataPath, QStringLiteral("f:\\vandrel\\norvik2\\gamedata\\"));
  EXPECT_NE(readFile(settingsFile()).find("Norvik2=f:\\vandrel\\norvik2\\gamedata"),
            std::string::npos);
}

TEST_F(StartupTest, promptWrongThenRight_keepsTypedCaseAndReadsBack) {
  gameOn('g');
  writeOnDrive('g', "vandrel/norvik2/gamedata/APrefs.cs", "a;\r\n");
  dialogs_.answer(kAnswerYes);
  dialogs_.type(QStringLiteral("c:"));  // with the colon: c::\... names nothing
  dialogs_.answer(kAnswerYes);
  dialogs_.type(QStringLiteral("G"));
  ASSERT_TRUE(form_->Form_Load());

  ASSERT_EQ(dialogs_.boxes().size(), 4);
  expectBox(dialogs_.boxes()[1], Kind::Input, kPrompt, QStringLiteral("Drive letter for Norvik"),
            MsgIcon::None, MsgButtons::OK);
  expectBox(dialogs_.boxes()[2], Kind::Message, invalidDrive(QStringLiteral("c:")),
            QStringLiteral("Invalid Drive Letter"), MsgIcon::Error, MsgButtons::YesNo);
  expectBox(dialogs_.boxes()[3], Kind::Input, kPrompt, QStringLiteral("Drive letter for Norvik"),
            MsgIcon::None, MsgButtons::OK);
  EXPECT_EQ(form_->GameDataPath, QStringLiteral("G:\\vandrel\\norvik2\\gamedata\\"));
  EXPECT_NE(readFile(settingsFile()).find("Norvik2=G:\\vandrel\\norvik2\\gamedata\r\n"),
            std::string::npos);
  EXPECT_EQ(items(), QStringList{QStringLiteral("... APrefs.cs")});
}

TEST_F(StartupTest, promptCancelThenNo_endsWithoutWriting) {
  dialogs_.answer(kAnswerYes);
  dialogs_.type(QString());  // Cancel gives the empty text
  dialogs_.answer(kAnswerNo);
  EXPECT_FALSE(form_->Form_Load());
  ASSERT_EQ(dialogs_.boxes().size(), 3);
  // The word Drive, four blanks, then the sentence.
  EXPECT_TRUE(dialogs_.boxes()[2].text.startsWith(
      QStringLiteral("Drive    does not hold the direcotry to Norvik2.\r\n")));
  EXPECT_FALSE(fs::exists(settingsFile()));
}

// Typed text must never reach outside the mapped drives.
TEST_F(StartupTest, promptTextsOfBadShape_neverFindAFolder) {
  gameOn('c');
  fs::remove(exeFolder_ / "dosdevices" / "c:");  // no probe hits
  writeOnDrive('x', "vandrel/norvik2/gamedata/norvik2.exe", "x");
  const QStringList bad = {QStringLiteral("."), QStringLiteral(".."), QStringLiteral("/"),
                           QStringLiteral("*"), QStringLiteral("?"), QStringLiteral("[a-z]"),
                           QStringLiteral("xx"), QStringLiteral("x\\..\\x"),
                           QStringLiteral("\\\\x")};
  dialogs_.answer(kAnswerYes);
  for (const QString& text : bad) {
    dialogs_.type(text);
    dialogs_.answer(kAnswerYes);
  }
  dialogs_.type(QStringLiteral("X"));
  ASSERT_TRUE(form_->Form_Load());
  EXPECT_EQ(dialogs_.boxes().size(), 1 + 2 * bad.size() + 1);
  EXPECT_EQ(form_->GameDataPath, QStringLiteral("X:\\vandrel\\norvik2\\gamedata\\"));
}

TEST_F(StartupTest, settingsFileNotWritable_showsWindowWithoutEntries) {
  gameOn('h');
  writeOnDrive('h', "vandrel/norvik2/gamedata/APrefs.cs", "a;\r\n");
  fs::create_directory(settingsFile());  // a folder where the file should be
  dialogs_.answer(kAnswerYes);
  dialogs_.type(QStringLiteral("h"));
  ASSERT_TRUE(form_->Form_Load());
  EXPECT_TRUE(form_->GameDataPath.isEmpty());
  EXPECT_EQ(form_->List1->ListCount(), 0);
}

TEST_F(StartupTest, promptEveryStart_evenWithAFolderStored) {
  gameOn('g');
  dir_.writeFile("program/NorvikPrefs.ini", "[NorvikFolder]\r\nNorvik2=g:\\vandrel\\norvik2\\gamedata\r\n");
  dialogs_.answer(kAnswerYes);
  dialogs_.type(QStringLiteral("g"));
  ASSERT_TRUE(form_->Form_Load());
  EXPECT_EQ(dialogs_.boxes().size(), 2);
  EXPECT_EQ(dialogs_.boxes()[1].kind, Kind::Input);
}

TEST_F(StartupTest, windowStartsInBrowsingStateWithExactCaptions) {
  startWithGame();
  Form1& f = *form_;
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
  EXPECT_FALSE(f.Command2[0]->isEnabled());
  EXPECT_FALSE(f.Command2[1]->isEnabled());
  EXPECT_TRUE(f.Command1->isEnabled());
  EXPECT_TRUE(f.Command3->isEnabled());
  EXPECT_TRUE(f.List1->isEnabled());
  EXPECT_EQ(f.List1->ListIndex(), -1);
  EXPECT_TRUE(f.List1->ToolTipText().isEmpty());
  EXPECT_TRUE(f.LineNfile_txt->Text().isEmpty());
  EXPECT_FALSE(f.Change);
  EXPECT_TRUE(f.OpenFilePath.isEmpty());
  EXPECT_EQ(f.Command2[0]->text(), QStringLiteral("&Change"));
  EXPECT_EQ(f.Command2[1]->text(), QStringLiteral("C&ancel"));
  EXPECT_EQ(f.Command1->text(), QStringLiteral("&Reload Prefs"));
  EXPECT_EQ(f.Command3->text(), QStringLiteral("&Save  &&  Exit"));
  EXPECT_EQ(f.Label4->text(), QStringLiteral("v1.0.1"));
  EXPECT_EQ(f.Label2->text(), QStringLiteral("Oskvarl"));
  EXPECT_EQ(f.Label1->text(), QStringLiteral("Developed by:"));
  EXPECT_TRUE(f.Label3->text().isEmpty());
  EXPECT_EQ(f.Label3->toolTip(), QStringLiteral("Visit Stormwarden"));
}

TEST_F(StartupTest, controlsStandWhereTheLayoutSays) {
  Form1& f = *form_;
  struct Row {
    const char* name;
    QWidget* control;
    QWidget* container;
    int left, top, width, height;
  };
  const Row rows[] = {
      {"Frame1", f.Frame1, &f, 0, 2280, 6615, 1215},
      {"Command2(0)", f.Command2[0], f.Frame1, 4440, 240, 2055, 375},
      {"Command3", f.Command3, f.Frame1, 4440, 720, 2055, 375},
      {"Command2(1)", f.Command2[1], f.Frame1, 2400, 240, 2055, 375},
      {"Command1", f.Command1, f.Frame1, 2400, 720, 2055, 375},
      {"Label4", f.Label4, f.Frame1, 120, 960, 1215, 255},
      {"Label3", f.Label3, f.Frame1, 0, 240, 2295, 855},
      {"Label2", f.Label2, f.Frame1, 1080, 720, 1815, 255},
      {"Image2", f.Image2, f.Frame1, 120, 240, 780, 525},
      {"Label1", f.Label1, f.Frame1, 960, 480, 1935, 375},
      {"LineNfile_txt", f.LineNfile_txt, &f, 10, 2040, 6600, 285},
      {"List1", f.List1, &f, 10, 0, 6615, 2010},
  };
  auto px = [](int twips) { return qRound(twips / 15.0); };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.control->parentWidget(), row.container);
    EXPECT_EQ(row.control->geometry(),
              QRect(px(row.left), px(row.top), px(row.width), px(row.height)));
  }
  EXPECT_EQ(f.size(), QSize(442, 235));
}

TEST_F(StartupTest, tabOrderAndFocus_followTheControlsThatTakeFocus) {
  Form1& f = *form_;
  const QList<QWidget*> order = {f.List1, f.LineNfile_txt, f.Command3, f.Command1,
                                 f.Command2[0], f.Command2[1]};
  auto nextTabStop = [](QWidget* w) {
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
  };
  for (int i = 0; i + 1 < order.size(); ++i) EXPECT_EQ(nextTabStop(order[i]), order[i + 1]) << i;
  for (QWidget* w : {static_cast<QWidget*>(f.Frame1), static_cast<QWidget*>(f.Label1),
                     static_cast<QWidget*>(f.Label2), static_cast<QWidget*>(f.Label3),
                     static_cast<QWidget*>(f.Label4), static_cast<QWidget*>(f.Image2)})
    EXPECT_EQ(w->focusPolicy(), Qt::NoFocus);
}

TEST_F(StartupTest, fontsAndColours) {
  Form1& f = *form_;
  EXPECT_TRUE(f.Command2[0]->font().bold());
  EXPECT_TRUE(f.Command2[1]->font().bold());
  EXPECT_FALSE(f.Command3->font().bold());
  EXPECT_TRUE(f.Label2->font().bold());
  EXPECT_DOUBLE_EQ(f.Command1->font().pointSizeF(), 8.25);
  EXPECT_EQ(f.Command1->font().styleHint(), QFont::Serif);
  EXPECT_EQ(f.Label2->palette().color(QPalette::WindowText), QColor(192, 0, 0));
  EXPECT_EQ(f.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(f.List1->palette().color(QPalette::Text), QColor(0, 192, 0));
  EXPECT_EQ(f.LineNfile_txt->palette().color(QPalette::Text), QColor(128, 128, 255));
  EXPECT_EQ(f.List1->palette().color(QPalette::Base), ui::SystemMenuTextColor());
  EXPECT_FALSE(f.windowIcon().isNull());
  EXPECT_EQ(f.windowIcon().availableSizes().size(), 2);  // 32 and 48 pixels
}
