#include "support/editor_fixture.h"

#include <variant>

namespace fs = std::filesystem;
using testsupport::readFile;
using ui::kAnswerNo;
using ui::kAnswerYes;
using Kind = ui::ScriptedDialogs::Kind;

namespace {

const QString kDisclaimer = QStringLiteral("Disclaimer");
const QString kDrivePrompt = QStringLiteral("Drive letter for Norvik");
const QString kInvalidDrive = QStringLiteral("Invalid Drive Letter");

QString Settings(const char* folder) {
  return QStringLiteral("[NorvikFolder]\r\nNorvik2=%1\r\n").arg(QString::fromLatin1(folder));
}

struct StartRow {
  const char* name;
  std::string gameOn;                          // the drives that hold the game
  std::vector<std::variant<int, QString>> script;  // answers and typed texts, in order
  bool shown;                                  // the window is shown
  QStringList titles;                          // of the boxes, in order
  QString folder;                              // GameDataPath afterwards
  QString settings;                            // the settings file afterwards; empty: none
};

QStringList Prompts(int wrong) {
  QStringList titles = {kDisclaimer};
  for (int i = 0; i < wrong; ++i) titles << kDrivePrompt << kInvalidDrive;
  return titles << kDrivePrompt;
}

// Texts that name no drive; each is followed by Yes in "Invalid Drive Letter".
const QStringList kBadDrives = {
    QStringLiteral("c:"),  // with the colon: c::\... names nothing
    QStringLiteral("."), QStringLiteral(".."), QStringLiteral("*"), QStringLiteral("?"),
    QStringLiteral("[a-z]"), QStringLiteral("xx"), QStringLiteral("x\\..\\x"), QStringLiteral("\\\\x"),
    QStringLiteral(" x"), QStringLiteral("x\r\n\t\x01"), QString::fromUtf16(u"x\0", 2),
    QStringLiteral("\uFF58"), QStringLiteral("\U0001F600"), QString(100000, u'x'),
    // Guards against a typed host path reaching a game folder outside the mapped drives.
    QStringLiteral("/"), QStringLiteral("{tmp}/outside/x"),
};

std::vector<std::variant<int, QString>> BadThen(const QString& good) {
  std::vector<std::variant<int, QString>> script = {kAnswerYes};
  for (const QString& bad : kBadDrives) script.insert(script.end(), {bad, kAnswerYes});
  script.push_back(good);
  return script;
}

void PrintTo(const StartRow& row, std::ostream* out) { *out << row.name; }

const StartRow kStarts[] = {
    {"disclaimerNo_nothingTestedOrWritten", "c", {kAnswerNo}, false, {kDisclaimer}, {}, {}},
    {"probesInOrder_cBeforeD", "cd", {kAnswerYes}, true, {kDisclaimer},
     QStringLiteral("c:\\vandrel\\norvik2\\gamedata\\"), Settings("c:\\vandrel\\norvik2\\gamedata")},
    {"probesInOrder_fLast", "f", {kAnswerYes}, true, {kDisclaimer},
     QStringLiteral("f:\\vandrel\\norvik2\\gamedata\\"), Settings("f:\\vandrel\\norvik2\\gamedata")},
    {"promptKeepsTheTypedCase", "g", {kAnswerYes, QStringLiteral("G")}, true, Prompts(0),
     QStringLiteral("G:\\vandrel\\norvik2\\gamedata\\"), Settings("G:\\vandrel\\norvik2\\gamedata")},
    {"promptTextsOfBadShapeNeverFindAFolder", "g", BadThen(QStringLiteral("g")), true,
     Prompts(static_cast<int>(kBadDrives.size())), QStringLiteral("g:\\vandrel\\norvik2\\gamedata\\"),
     Settings("g:\\vandrel\\norvik2\\gamedata")},
    {"promptCancelThenNo_endsWithoutWriting", "g", {kAnswerYes, QString(), kAnswerNo}, false,
     {kDisclaimer, kDrivePrompt, kInvalidDrive}, {}, {}},
};

class Startup : public testsupport::EditorFixture, public ::testing::WithParamInterface<StartRow> {};

TEST_P(Startup, findsTheGameOrAsks) {
  const StartRow& row = GetParam();
  for (const char drive : row.gameOn) {
    writeOnDrive(drive, std::string(testsupport::kGameData) + "/norvik2.exe", "x");
    writeOnDrive(drive, std::string(testsupport::kGameData) + "/sub/" + drive + "Prefs.cs", "a;");
  }
  makeDrive('x');  // a drive without the game
  dir_.writeFile("outside/x:/vandrel/norvik2/gamedata/norvik2.exe", "x");
  for (const auto& step : row.script) {
    if (const int* answer = std::get_if<int>(&step)) {
      dialogs_.answer(*answer);
    } else {
      QString typed = std::get<QString>(step);
      dialogs_.type(typed.replace(QStringLiteral("{tmp}"), QString::fromStdString(dir_.path().string())));
    }
  }
  EXPECT_EQ(form_->Form_Load(), row.shown);
  EXPECT_EQ(dialogs_.titles(), row.titles);
  EXPECT_EQ(form_->GameDataPath, row.folder);
  EXPECT_EQ(QString::fromStdString(readFile(settingsFile())), row.settings);
  const QStringList entries = row.folder.isEmpty() ? QStringList()
      : QStringList{QStringLiteral("... sub\\") + row.folder[0].toLower() + QStringLiteral("Prefs.cs")};
  EXPECT_EQ(items(), entries);
}

INSTANTIATE_TEST_SUITE_P(Editor, Startup, ::testing::ValuesIn(kStarts),
                         [](const auto& info) { return std::string(info.param.name); });

using StartupBoxes = testsupport::EditorFixture;

TEST_F(StartupBoxes, wordForWord) {
  dialogs_.answer(kAnswerYes);
  dialogs_.type(QStringLiteral("Q"));
  dialogs_.answer(kAnswerNo);
  EXPECT_FALSE(form_->Form_Load());
  ASSERT_EQ(dialogs_.boxes().size(), 3);
  const auto& [disclaimer, prompt, invalid] = std::tie(dialogs_.boxes()[0], dialogs_.boxes()[1], dialogs_.boxes()[2]);
  EXPECT_EQ(disclaimer.text,
            QStringLiteral("This program is \"AS-IS\" and YOU are fully responsible when using this program!"
                           "\r\n\r\nYou may not charge fault to Oskvarl nor anyone affiliated with Oskvarl "
                           "when using this program.\r\n\r\nYou consent in this agreement by using this "
                           "program.\r\n\r\nDo you agree?"));
  EXPECT_EQ(disclaimer.icon, ui::MsgIcon::Exclamation);
  EXPECT_EQ(disclaimer.buttons, ui::MsgButtons::YesNo);
  EXPECT_EQ(prompt.kind, Kind::Input);
  EXPECT_EQ(prompt.text, QStringLiteral("Type the drive letter below.\r\n\r\nExample:  C"));
  EXPECT_EQ(invalid.text, QStringLiteral("Drive  Q  does not hold the direcotry to Norvik2.\r\n"
                                         "Would you like to select another drive?"));
  EXPECT_EQ(invalid.icon, ui::MsgIcon::Error);
  EXPECT_EQ(invalid.buttons, ui::MsgButtons::YesNo);
}

// The settings file is written but never asked before the probes or the prompt; after the
// prompt the folder is what it reads back, and none when it cannot be written.
TEST_F(StartupBoxes, promptEveryStart_folderReadBackFromTheSettingsFile) {
  writeOnDrive('g', std::string(testsupport::kGameData) + "/norvik2.exe", "x");
  dir_.writeFile("program/NorvikPrefs.ini", "[NorvikFolder]\r\nNorvik2=g:\\elsewhere\r\n");
  for (const bool writable : {true, false}) {
    if (!writable) {
      fs::remove(settingsFile());
      fs::create_directory(settingsFile());  // a folder where the file should be
      form_ = std::make_unique<Form1>(dialogs_);
    }
    dialogs_.clear();
    dialogs_.answer(kAnswerYes);
    dialogs_.type(QStringLiteral("g"));
    ASSERT_TRUE(form_->Form_Load());
    EXPECT_EQ(dialogs_.titles(), (QStringList{kDisclaimer, kDrivePrompt}));
    EXPECT_EQ(form_->GameDataPath, writable ? QStringLiteral("g:\\vandrel\\norvik2\\gamedata\\") : QString());
  }
}

TEST_F(StartupBoxes, windowStartsBrowsing) {
  startWithGame();
  Form1& f = *form_;
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Norvik2 - Prefs Editor"));
  EXPECT_FALSE(f.Command2[0]->isEnabled());
  EXPECT_FALSE(f.Command2[1]->isEnabled());
  EXPECT_TRUE(f.Command1->isEnabled() && f.Command3->isEnabled() && f.List1->isEnabled());
  EXPECT_EQ(f.List1->ListIndex(), -1);
  EXPECT_TRUE(f.List1->ToolTipText().isEmpty() && f.LineNfile_txt->Text().isEmpty());
  EXPECT_FALSE(f.Change);
  EXPECT_TRUE(f.OpenFilePath.isEmpty());
}

}  // namespace
