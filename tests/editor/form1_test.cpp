// The window's handlers as a user drives them: start-up, opening, editing, saving,
// reloading and closing, the boxes word for word, loads that fail or are interrupted.

#include <QFontDatabase>
#include <QTest>
#include <QTimer>

#include "fileservices/lineloader.h"
#include "support/editor_fixture.h"

namespace fs = std::filesystem;
using namespace ui;

namespace {

const std::string kClient = "$a = 1;\r\n\r\n   \r\n  $b = \"x y\";  \r\n\t\r\n$a = 1;\r\n... mods\\AiPrefs.cs\r\n$z = 2;";
const std::string kDima = "Дима";
const std::string kLines = "items=$a = 1;|  $b = \"x y\";  |\t|$a = 1;|... mods\\AiPrefs.cs|$z = 2;";

class Form1Test : public testsupport::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    writeGameFile("ClientPrefs.cs", kClient);
    writeGameFile("mods/AiPrefs.cs", "$ai = 3;\n");
    startWithGame();
  }
};

struct Scenario {
  const char* name;
  std::vector<std::string> steps;
};
void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }

const Scenario kScenarios[] = {
    {"toolTipLooksAtWhatTheBoxHeldBeforeTheClick",
     {"click 0", "tip=", "click 1", "tip=Edit File:  ... mods\\AiPrefs.cs", "text=... mods\\AiPrefs.cs", "dbl", "tip=",
      "caption=AiPrefs.cs", "reload", "caption=", "open ClientPrefs.cs", kLines, "text=", "index=-1", "click 4", "click 0",
      "tip=Edit File:  $a = 1;", "dbl", "tip=", "text=$a = 1;", kLines, "caption=ClientPrefs.cs"}},
    {"commitReplacesByPosition_addsAMissingSemicolonAfterSayingSo",
     {"open ClientPrefs.cs", "click 3", "box", "editing=1", "type $a = 9;", "change", "editing=0", "index=-1", "change=1",
      // Guards against Cancel dropping the commits made before it.
      "click 1", "box", "type dropped;", "cancel", "change=1",
      "items=$a = 1;|  $b = \"x y\";  |\t|$a = 9;|... mods\\AiPrefs.cs|$z = 2;", "boxes=", "click 0", "box",
      "type $x = 1; ", "answer OK", "change", "boxes=Syntax Error", "text=$x = 1; ;", "box", "editing=0",
      // Guards against a character the file cannot hold being shown, then saved as "?", and
      // against one it holds beyond Latin-1 (the euro sign) being lost.
      "click 2", "box", "type $\xCE\xA9\xE2\x82\xAC = 1;", "change", "text=$?\xE2\x82\xAC = 1;", "save",
      "file=ClientPrefs.cs:$x = 1; ;\r\n  $b = \"x y\";  \r\n$?\x80 = 1;\r\n$a = 9;\r\n... mods\\AiPrefs.cs\r\n$z = 2;\r\n"}},
    // Without a mouse: Enter opens the current entry (its click first, whatever the box held)
    // and does nothing on a line; Enter or F2 in the box starts editing, typing does not;
    // a screen reader's clicks run the same handlers.
    {"keyboardAndScreenReader_runTheClickHandlers",
     {"key list Down", "text=... ClientPrefs.cs", "type x", "key list Return", "caption=ClientPrefs.cs", "key list Down", "key list Return",
      kLines, "text=$a = 1;", "type $a = 3;", "editing=0", "key box F2", "editing=1", "cancel", "act 1", "text=  $b = \"x y\";  ",
      "act box", "editing=1", "type $b;", "change", "act 1 Double click", "act 0 Double click", "items=$a = 1;|$b;|\t|$a = 1;|... mods\\AiPrefs.cs|$z = 2;"}},
    // Guards against a commit in the file list counting as an edit of a file.
    {"editingNeedsASelectedLineAndNoEntryInTheBox",
     {"click 0", "box", "editing=0", "type renamed;", "box", "editing=1", "change", "items=renamed;|... mods\\AiPrefs.cs",
      "change=0", "reload", "open ClientPrefs.cs", "click 4", "box", "editing=0", "click 0", "box", "change", "box",
      "editing=0"}},
    // Guards against opening another file dropping unsaved edits without a question.
    {"openingFromALineThatReadsAsAnEntry_asksToSaveFirst",
     {"open ClientPrefs.cs", "click 0", "box", "type $a = 2;", "change", "click 4", "answer Yes,OK", "dbl",
      "boxes=Save Changes|Success", "change=0", "items=$ai = 3;", "caption=AiPrefs.cs"}},
    // Exit and the title bar ask before edits are left behind; a failed save keeps the
    // window open (guards against losing the edits after "Save Error").
    {"exitAsks", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change", "answer Cancel", "exit", "shown=1",
                  "answer Yes,OK", "exit", "boxes=Save Changes|Save Changes|Success", "shown=0", "change=0"}},
    // Guards against a failed save on reload dropping the edits, and against a reload
    // that dropped them still offering them for saving.
    {"reloadAsks", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change", "readonly ClientPrefs.cs", "answer Yes,OK",
                    "reload", "boxes=Save Changes|Error", "caption=ClientPrefs.cs", "change=1", "answer No", "reload",
                    "change=0", "caption=", "items=... ClientPrefs.cs|... mods\\AiPrefs.cs", "exit", "shown=0", "boxes=Save Changes"}},
    // Rebuilt only when the settings file names a folder, each entry cut by the folder
    // searched (guards against a hand-edited value shifting every entry).
    {"reloadRebuildsFromTheFolderSearched",
     {"open ClientPrefs.cs", "click 0", "box", "editing=1", "ini [NorvikFolder]\r\nNorvik2=\r\n", "reload", "editing=0", kLines,
      "caption=", "ini [NorvikFolder]\r\nNorvik2=x\r\n", "reload", "items=... ClientPrefs.cs|... mods\\AiPrefs.cs"}},
    {"exitNoLeavesTheFile", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change", "answer No", "exit",
                             "shown=0", "file=ClientPrefs.cs:" + kClient}},
    {"exitWithoutEditsClosesAtOnce", {"open ClientPrefs.cs", "exit", "shown=0", "boxes="}},
    {"titleBarAsksToo", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change", "readonly ClientPrefs.cs",
                         "answer Yes,OK", "close", "boxes=Save Changes|Error", "shown=1", "file=ClientPrefs.cs:" + kClient,
                         "answer No", "close", "shown=0"}},
    // Guards against a line typed but not committed being dropped without the question,
    // on each way of leaving the open file.
    {"typedEdit_exitAsks_yesCommitsAsChangeDoes", {"open ClientPrefs.cs", "click 0", "box", "type $a = 7", "answer Cancel", "exit",
     "shown=1", "editing=1", "text=$a = 7", "answer Yes,OK,OK", "exit", "boxes=Save Changes|Save Changes|Syntax Error|Success",
     "shown=0", "file=ClientPrefs.cs:$a = 7;\r\n  $b = \"x y\";  \r\n\t\r\n$a = 1;\r\n... mods\\AiPrefs.cs\r\n$z = 2;\r\n"}},
    {"typedEdit_titleBarAsks", {"open ClientPrefs.cs", "click 0", "box", "type $a = 7;", "answer No", "close", "boxes=Save Changes",
                                "shown=0", "file=ClientPrefs.cs:" + kClient}},
    {"typedEdit_reloadAsks_noDropsIt", {"open ClientPrefs.cs", "click 0", "box", "reload", "boxes=", "open ClientPrefs.cs", "click 0",
     "box", "type $a = 7;", "answer No", "reload", "boxes=Save Changes", "text=$a = 1;", "change=0", "click 0", "box", "type x;", "box",
     "reload", "boxes="}},
    {"typedEdit_openingAsks", {"open ClientPrefs.cs", "click 0", "box", "type ... mods\\AiPrefs.cs", "answer Yes,OK,OK", "dbl",
     "boxes=Save Changes|Syntax Error|Success", "items=$ai = 3;", "caption=AiPrefs.cs", "file=ClientPrefs.cs:... mods\\AiPrefs.cs;\r\n"
     "  $b = \"x y\";  \r\n\t\r\n$a = 1;\r\n... mods\\AiPrefs.cs\r\n$z = 2;\r\n"}},
    // Under the system's code page a file's letters read as it says, names found too, its
    // undefined bytes come back unchanged (0x98 in 1251, 0x81 in 1250), and typed letters
    // are saved as its bytes; a letter it lacks shows as "?" (guards against Windows-1252
    // anywhere on the way).
    {"codePage1251_readsTheLinesAndNames_savesTypedLettersInIt",
     {"codepage 1251", "bytes mods/" + kDima + "Prefs.cs:$\xE8\xEC\xFF = \"\xC4\xEC\xE8\xF2\xF0\xE8\xE9\";\r\n$b = \x98;\r\n", "reload",
      "items=... ClientPrefs.cs|... mods\\AiPrefs.cs|... mods\\" + kDima + "Prefs.cs", "open mods\\" + kDima + "Prefs.cs",
      "items=$имя = \"Дмитрий\";|$b = \xC2\x98;", "click 0", "box", "type $имя = \"Пётр é\";", "change", "text=$имя = \"Пётр ?\";",
      "save", "file=mods/" + kDima + "Prefs.cs:$\xE8\xEC\xFF = \"\xCF\xB8\xF2\xF0 ?\";\r\n$b = \x98;\r\n"}},
    {"codePage1250_theSameForPolish", {"codepage 1250", "bytes ClientPrefs.cs:$imi\xEA = \"Micha\xB3\";\r\n$x = \x81;", "open ClientPrefs.cs",
      "items=$imię = \"Michał\";|$x = \xC2\x81;", "click 1", "box", "type $x = \"Żółć\";", "change", "save",
      "file=ClientPrefs.cs:$imi\xEA = \"Micha\xB3\";\r\n$x = \"\xAF\xF3\xB3\xE6\";\r\n"}},
#ifdef _WIN32
    // A file another program holds open without sharing cannot be replaced: the old bytes
    // and the edits both stay.
    {"saveToAFileHeldOpen_failsAndKeepsBoth", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change",
                                               "locked ClientPrefs.cs", "answer OK", "save", "boxes=Error", "change=1",
                                               "text=$a = 5;", "unlock", "file=ClientPrefs.cs:" + kClient}},
#endif
};

const auto kNamed = [](const auto& info) { return std::string(info.param.name); };
class Scenarios : public Form1Test, public ::testing::WithParamInterface<Scenario> {};
TEST_P(Scenarios, run) { Run(GetParam().steps); }
INSTANTIATE_TEST_SUITE_P(Form1, Scenarios, ::testing::ValuesIn(kScenarios), kNamed);

// Another program changed the open file: No on "File Changed" writes nothing and leaves the
// window as it was, edits and all, on each road; Yes saves over the change and goes on.
const std::string kOutside = "ClientPrefs.cs:" + std::string(kClient).replace(0, 7, "$a = 3;");
const std::string kEdited = "file=ClientPrefs.cs:$a = 5;\r\n  $b = \"x y\";  \r\n\t\r\n$a = 1;\r\n... mods\\AiPrefs.cs\r\n$z = 2;\r\n";
Scenario ChangedOutside(const char* name, const std::string& change, const std::string& road, const std::string& gone) {
  const bool typed = road == "close";  // the edit typed, not committed
  Scenario s{name, {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", typed ? "text=$a = 5;" : "change", change + kOutside}};
  if (road == "dbl") s.steps.push_back("click 4");
  s.steps.insert(s.steps.end(), {"answer Yes,No", road, "boxes=Save Changes|File Changed", "shown=1", "caption=ClientPrefs.cs",
                                 typed ? "change=0" : "change=1", typed ? "editing=1" : "editing=0", typed ? "text=$a = 5;" : "items=$a = 5;|  $b = \"x y\";  |\t|$a = 1;|... mods\\AiPrefs.cs|$z = 2;",
                                 "file=" + kOutside, "answer Yes,Yes,OK", road, "boxes=Save Changes|File Changed|Success", gone, kEdited});
  return s;
}

const Scenario kChangedOutside[] = {
    ChangedOutside("exit", "outside ", "exit", "shown=0"), ChangedOutside("reload", "renamed ", "reload", "caption="),
    ChangedOutside("close", "outside ", "close", "shown=0"), ChangedOutside("opening", "renamed ", "dbl", "caption=AiPrefs.cs"),
    // A touch alone asks nothing; a file gone is a failed save, as before.
    {"touchedOnly", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change", "touch ClientPrefs.cs", "answer Yes,OK", "exit", "boxes=Save Changes|Success", "shown=0", kEdited}},
    {"removed", {"open ClientPrefs.cs", "click 0", "box", "type $a = 5;", "change", "remove ClientPrefs.cs", "answer Yes,OK", "exit", "boxes=Save Changes|Error", "shown=1", "change=1"}},
};
INSTANTIATE_TEST_SUITE_P(ChangedOutside, Scenarios, ::testing::ValuesIn(kChangedOutside), kNamed);

// Start-up: the disclaimer, the probes of c: to f: in order, else the prompt for a drive
// until the game is found there or the user gives up; the folder found is written to the
// settings file (and, after the prompt, read back from it) and its prefs files listed.
const std::string kC = "c:\\vandrel\\norvik2\\gamedata", kG = "g:\\vandrel\\norvik2\\gamedata";
const std::string kPrompt = "Disclaimer|Drive letter for Norvik";
std::vector<std::string> BadDrivesThenG() {
  std::vector<std::string> steps = {"game g", "answer Yes"};
  // Guards against a typed text reaching a game folder outside the mapped drives.
  for (const char* bad : {"c:", ".", "..", "*", "?", "[a-z]", "xx", "x\\..\\x", "\\\\x", " x", "x\r\n\t\x01", "\xEF\xBD\x98",
                          "\xF0\x9F\x98\x80", "/", "{tmp}/outside/x"})
    steps.insert(steps.end(), {std::string("typed ") + bad, "answer Yes"});
  steps.insert(steps.end(), {"typed g", "start", "folder=" + kG + "\\", "items=... sub\\gPrefs.cs", "boxes=" + kPrompt +
                             [] { std::string s; for (int i = 0; i < 15; ++i) s += "|Invalid Drive Letter|Drive letter for Norvik"; return s; }()});
  return steps;
}

const Scenario kStarts[] = {
    {"disclaimerNo_nothingTestedOrWritten", {"game c", "answer No", "start", "shown=0", "boxes=Disclaimer", "folder=", "settings="}},
    {"probesInOrder_cBeforeD", {"game d", "game c", "answer Yes", "start", "shown=1", "boxes=Disclaimer", "folder=" + kC + "\\",
                                "settings=[NorvikFolder]\r\nNorvik2=" + kC + "\r\n", "items=... sub\\cPrefs.cs"}},
    {"probesInOrder_fLast", {"game f", "answer Yes", "start", "folder=f:\\vandrel\\norvik2\\gamedata\\"}},
    {"promptKeepsTheTypedCase_everyStart", {"game g", "ini [NorvikFolder]\r\nNorvik2=" + kG + "\r\n", "answer Yes", "typed G", "start",
                                            "boxes=" + kPrompt, "folder=G:\\vandrel\\norvik2\\gamedata\\",
                                            "settings=[NorvikFolder]\r\nNorvik2=G:\\vandrel\\norvik2\\gamedata\r\n"}},
    {"promptTextsOfBadShapeNeverFindAFolder", BadDrivesThenG()},
    {"promptCancelThenNo_endsWithoutWriting", {"game g", "answer Yes", "typed", "answer No", "start", "shown=0", "settings=",
                                               "boxes=" + kPrompt + "|Invalid Drive Letter"}},
    {"settingsFileNotWritable_noFolderAfterThePrompt", {"game g", "ini folder", "answer Yes", "typed g", "start", "shown=1",
                                                        "folder=", "items=", "type ... gPrefs.cs", "dbl", "text=gPrefs.cs", "caption="}},
};

class Startup : public testsupport::EditorFixture, public ::testing::WithParamInterface<Scenario> {};
TEST_P(Startup, run) {
#ifndef _WIN32  // a name Windows cannot hold
  dir_.writeFile("outside/x:/vandrel/norvik2/gamedata/norvik2.exe", "x");
#endif
  Run(GetParam().steps);
}
INSTANTIATE_TEST_SUITE_P(Form1, Startup, ::testing::ValuesIn(kStarts), kNamed);

// The control table: every control's place in twips (15 a pixel) within its container and
// its font: the serif face (or the first stand-in the machine has) at 8.25 points, bold
// where marked, never italic; the others take the desktop's dialog font, as the window.
TEST_F(Form1Test, everyControlInItsPlaceAndFont) {
  enum Face { kDialog, kSerif, kSerifBold };
  Form1& f = *form_;
  const std::tuple<QWidget*, QWidget*, QRect, Face> rows[] = {
      {f.Frame1, &f, {0, 2280, 6615, 1215}, kDialog}, {f.Command2[0], f.Frame1, {4440, 240, 2055, 375}, kSerifBold},
      {f.Command3, f.Frame1, {4440, 720, 2055, 375}, kSerif}, {f.Command2[1], f.Frame1, {2400, 240, 2055, 375}, kSerifBold},
      {f.Command1, f.Frame1, {2400, 720, 2055, 375}, kSerif}, {f.Label4, f.Frame1, {120, 960, 1215, 255}, kSerif},
      {f.Label3, f.Frame1, {0, 240, 2295, 855}, kDialog}, {f.Label2, f.Frame1, {1080, 720, 1815, 255}, kSerifBold},
      {f.Image2, f.Frame1, {120, 240, 780, 525}, kDialog}, {f.Label1, f.Frame1, {960, 480, 1935, 375}, kDialog},
      {f.LineNfile_txt, &f, {10, 2040, 6600, 285}, kDialog}, {f.List1, &f, {10, 0, 6615, 2010}, kDialog}};
  const auto px = [](int twips) { return qRound(twips / 15.0); };
  int row = 0;
  for (const auto& [control, container, twips, face] : rows) {
    const QFont font = control->font();
    SCOPED_TRACE(std::to_string(row++) + ": " + (font.toString() + " in " + QFontInfo(font).family()).toStdString());
    EXPECT_EQ(control->parentWidget(), container);
    EXPECT_EQ(control->geometry(), QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
    EXPECT_EQ(control->testAttribute(Qt::WA_SetFont), face != kDialog);
    if (face == kDialog) {
      EXPECT_EQ(font, QApplication::font(control));
      continue;
    }
    EXPECT_EQ(font.families().first(), QStringLiteral("MS Serif"));
    // Headless Qt on Windows has no faces to draw in.
    EXPECT_TRUE(font.families().contains(QFontInfo(font).family()) || QFontDatabase::families().isEmpty());
    EXPECT_TRUE(font.pointSizeF() == 8.25 && font.bold() == (face == kSerifBold) && !font.italic());
  }
}

// Every box, each brought up once, word for word.
TEST_F(Form1Test, theBoxesWordForWord) {
  Run({"open ClientPrefs.cs", "click 0", "box", "type x", "answer OK", "change", "answer Yes,OK", "reload", "open ClientPrefs.cs",
       "click 0", "box", "type y;", "change", "outside " + kOutside, "readonly ClientPrefs.cs", "answer Yes,Yes,OK", "exit"});
  fs::remove(gameFile("norvik2.exe"));
  form_ = std::make_unique<Form1>(dialogs_);
  Run({"answer Yes", "typed Q", "answer No", "start"});
  const QString prompt = QStringLiteral("File contents have changed.\r\n\r\nDo you wish to save changes?");
  const std::tuple<QString, QString, MsgIcon, MsgButtons> boxes[] = {
      {"Syntax Error", "You must type a   ;   at the end of each line.\r\n\r\nOne will now be inserted for you.", MsgIcon::Error, MsgButtons::OK},
      {"Save Changes", prompt, MsgIcon::Question, MsgButtons::YesNo},
      {"Success", "Changes saved", MsgIcon::Exclamation, MsgButtons::OK},
      {"Save Changes", prompt, MsgIcon::Question, MsgButtons::YesNoCancel},
      {"File Changed", "ClientPrefs.cs was changed by another program after it was opened.\r\nSave your changes over it?", MsgIcon::Exclamation, MsgButtons::YesNo},
      {"Error", "Save Error", MsgIcon::Error, MsgButtons::OK},
      {"Disclaimer", "This program is \"AS-IS\" and YOU are fully responsible when using this program!\r\n\r\nYou may not charge "
       "fault to Oskvarl nor anyone affiliated with Oskvarl when using this program.\r\n\r\nYou consent in this agreement by using "
       "this program.\r\n\r\nDo you agree?", MsgIcon::Exclamation, MsgButtons::YesNo},
      {"Drive letter for Norvik", "Type the drive letter below.\r\n\r\nExample:  C", MsgIcon::None, MsgButtons::OK},
      {"Invalid Drive Letter", "Drive  Q  does not hold the direcotry to Norvik2.\r\nWould you like to select another drive?",
       MsgIcon::Error, MsgButtons::YesNo},
  };
  EXPECT_EQ(form_->Label3->toolTip(), QStringLiteral("Visit Stormwarden"));
  ASSERT_EQ(dialogs_.boxes().size(), std::size(boxes));
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    const auto& [title, text, icon, buttons] = boxes[i];
    const auto& box = dialogs_.boxes()[i];
    EXPECT_TRUE(box.title == title && box.text == text && box.icon == icon && box.buttons == buttons) << i;
  }
}

// Guards against a file that did not load being taken for an empty file a save may write.
TEST_F(Form1Test, aFileThatDoesNotLoad_showsWhyAndLeavesNothingToSave) {
  const std::pair<std::function<void()>, QString> rows[] = {
      {[&] { fs::remove(gameFile("ClientPrefs.cs")); }, QStringLiteral("Could not open ClientPrefs.cs.")},
      {[&] { fs::resize_file(gameFile("ClientPrefs.cs"), FileMisc::kMaxLoadBytes + 1); }, QStringLiteral("ClientPrefs.cs is too large to open.")},
  };
  for (const auto& [spoil, message] : rows) {
    writeGameFile("ClientPrefs.cs", kClient);
    Run({"reload"});
    spoil();
    Run({"answer OK,OK", "open ClientPrefs.cs", "items=", "save", "boxes=Error|Error", "change=0"});
    EXPECT_EQ(dialogs_.boxes().last().text, QStringLiteral("Save Error"));
    EXPECT_EQ(dialogs_.boxes()[dialogs_.boxes().size() - 2].text, message);
  }
}

// The target is the folder joined to the path with one backslash, taken off the folder.
TEST_F(Form1Test, save_joinsTheFolderAndThePathWithOneBackslash) {
  Run({"open mods\\AiPrefs.cs"});
  const QString folder = QStringLiteral("c:\\vandrel\\norvik2\\gamedata");
  const std::tuple<QString, QString, QString, bool> rows[] = {
      {folder + u'\\', QStringLiteral("\\mods\\AiPrefs.cs"), folder, true}, {folder, QStringLiteral("\\mods\\AiPrefs.cs"), folder, true},
      {folder, QStringLiteral("mods\\AiPrefs.cs"), folder, false},  // "gamedatamods" names nothing
      {folder + u'\\', QStringLiteral("mods\\AiPrefs.cs"), folder + u'\\', true}, {folder, QStringLiteral("\\mods\\Gone.cs"), folder, false},
  };
  for (auto [base, file, baseAfter, saved] : rows) {
    if (!saved) dialogs_.answer(kAnswerOK);
    EXPECT_EQ(form_->Save_PrefsFile(base, file, *form_->List1), saved) << file.toStdString();
    EXPECT_EQ(base, baseAfter);
  }
  EXPECT_FALSE(fs::exists(gameFile("mods/Gone.cs")));
}

// Guards against a click during a load selecting a line, filling the text box, rebuilding
// the list or opening another file (the load would mix two files, or end with a line
// selected that a later commit overwrites).
TEST_F(Form1Test, duringALoad_whatTheUserDoesChangesNothing_closingEndsTheLoadFirst) {
  std::string big;  // too long to load in one round
  for (int i = 0; i < 300000; ++i) big += "$pref::line" + std::to_string(i) + " = 1;\r\n";
  writeGameFile("BigPrefs.cs", big);
  // Opens the file, running `during` between rounds of the load.
  const auto openBigFile = [this](const std::function<void()>& during) {
    int rounds = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { rounds += form_->Loading() ? (during(), 1) : 0; });
    timer.start(0);
    Run({"reload", "click 0", "dbl"});
    return rounds;
  };
  auto centre = [this](int row) { return form_->List1->visualRect(form_->List1->model()->index(row, 0)).center(); };
  EXPECT_GT(openBigFile([&] {
              QTest::mouseClick(form_->List1->viewport(), Qt::LeftButton, {}, centre(1));
              QTest::keyClick(form_->List1, Qt::Key_Down);
              form_->LineNfile_txt->SetText(QStringLiteral("... mods\\AiPrefs.cs"));
              QTest::keyClicks(form_->LineNfile_txt, QStringLiteral("typed"));
              Run({"text=... mods\\AiPrefs.cs", "box", "reload", "exit", "dbl"});
            }), 0);
  EXPECT_TRUE(form_->List1->ListCount() == 300000 && form_->List1->List(299999) == QStringLiteral("$pref::line299999 = 1;"));
  Run({"index=-1", "text=", "caption=BigPrefs.cs", "box", "editing=0", "change=0", "boxes="});
  QTest::keyClicks(form_->LineNfile_txt, QStringLiteral("x"));  // typing works again
  Run({"text=x"});
  openBigFile([this] { form_->close(); });
  EXPECT_FALSE(form_->isVisible() || form_->Loading());
  EXPECT_LT(form_->List1->ListCount(), 300000);
}

// Guards against an error escaping a handler taking the program down without a word, or
// the handler going on half done.
TEST_F(Form1Test, anErrorInAHandler_isShownAndEndsTheProgram) {
  Run({"open ClientPrefs.cs", "click 0", "box", "type no semicolon"});
  dialogs_.answer(ScriptedDialogs::kThrow);  // the "Syntax Error" box fails
  dialogs_.answer(kAnswerOK);
  form_->Command2[0]->click();
  EXPECT_EQ(fatalErrors_, 1);
  EXPECT_TRUE(dialogs_.boxes()[1].text == QStringLiteral("out of room") && dialogs_.boxes()[1].icon == MsgIcon::Error);
  Run({"shown=0", kLines});
}

}  // namespace
