// A thousand random steps through the window (open, edit, cancel, commit, save, reload,
// close), some saves failing on purpose, checked after every step against a model small
// enough to be obviously right: which file is open, its lines, whether they are changed,
// what the window shows, and what every file on disk holds.

#include <cerrno>
#include <map>
#include <memory>
#include <random>

#include "editor/text.h"
#include "fileservices/replacefile.h"
#include "support/editor_fixture.h"
#include "support/lines.h"

namespace fs = std::filesystem;
using fileservices_internal::testing::SetFaultHook;
using fileservices_internal::testing::Step;
using namespace ui;

namespace {

// The files, in the order the list shows them, with what they hold at the start.
const std::pair<QString, std::string> kFiles[] = {
    {QStringLiteral("APrefs.cs"), "$a = 1;\r\n\r\n  \n$b = \"x y\";\r$c = 3;"},
    {QStringLiteral("net\\NetPrefs.cs"), "\t$n = 1;  \n\xE9t\xE9 = 2;\r\n"},
    {QStringLiteral("net\\sub\\SubPrefs.cs"), "$s = 1;\r\n"},
};

struct Model {
  std::map<QString, std::string> disk;
  QString open;       // empty: the list shows the file entries
  QStringList lines;  // of the open file, as the list holds them
  bool change = false;
  QString textBox;
  int selected = -1;
  bool folderTrimmed = false;  // a save took the backslash off the game folder

  void Saved() {
    disk[open] = editor::ToCodePage(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    change = false;
  }
  void ShowEntries() { open.clear(), lines.clear(), change = false, selected = -1, folderTrimmed = false; }
};

class Soak : public testsupport::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    for (const auto& [name, bytes] : kFiles) {
      writeGameFile(QString(name).replace(u'\\', u'/').toStdString(), bytes);
      model_.disk[name] = bytes;
    }
    startWithGame();
    settings_ = testsupport::readFile(settingsFile());
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool Chance(int percent) { return Pick(100) < percent; }
  void Expect(int answer, const char* title) {
    dialogs_.answer(answer);
    expected_ << QString::fromLatin1(title);
  }
  // Makes the next save fail at its write or its rename, or be interrupted once (which
  // must not fail it). True when the save is to fail.
  bool ArmFault() {
    const int kind = Pick(8);
    auto interrupted = std::make_shared<bool>(kind != 2);
    SetFaultHook([kind, interrupted](Step step) {
      if (kind < 2) return step == (kind == 0 ? Step::Write : Step::Rename) ? ENOSPC : 0;
      return step == Step::Write && !std::exchange(*interrupted, true) ? EINTR : 0;
    });
    return kind < 2;
  }

  void Open() {
    const int index = Pick(static_cast<int>(std::size(kFiles)));
    clickItem(index);
    form_->List1_DblClick();
    model_.open = kFiles[index].first;
    model_.lines.clear();
    for (const std::string& line : testsupport::NonBlankLines(model_.disk[model_.open]))
      model_.lines << editor::FromCodePage(line);
    model_.textBox.clear();
  }

  void Edit(bool commit) {
    const int index = Pick(static_cast<int>(model_.lines.size()));
    clickItem(index);
    if (Chance(10)) form_->List1_DblClick();  // a double click on a line changes nothing
    form_->LineNfile_txt_Click();
    // Code-page letters, one it lacks (it becomes '?'), blanks, sometimes no ";".
    static const QString alphabet = QStringLiteral("ab$:= \t0\u00E9\u20AC\u65E5\"");
    QString text;
    for (int n = Pick(10); n > 0; --n) text += alphabet[Pick(static_cast<int>(alphabet.size()))];
    if (Chance(70)) text += u';';
    form_->LineNfile_txt->SetText(text);
    text.replace(u'\u65E5', u'?');
    model_.selected = commit ? -1 : index;
    if (!commit) {
      form_->Command2_Click(1);
      model_.textBox = text;
      return;
    }
    if (!text.endsWith(u';')) {
      Expect(kAnswerOK, "Syntax Error");
      text += u';';
    }
    form_->Command2_Click(0);
    model_.lines[index] = model_.textBox = text;
    model_.change = true;
  }

  void Save() {
    const bool fails = ArmFault() || model_.open.isEmpty();  // file entries are never saved
    if (fails) Expect(kAnswerOK, "Error");
    form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
    model_.folderTrimmed = !form_->OpenFilePath.isEmpty();
    if (!fails) model_.Saved();
  }

  void Reload() {
    bool fails = false;
    if (model_.change) {
      const bool yes = Chance(60);
      Expect(yes ? kAnswerYes : kAnswerNo, "Save Changes");
      if (yes) {
        fails = ArmFault();
        Expect(kAnswerOK, fails ? "Error" : "Success");
        model_.folderTrimmed = true;
        if (!fails) model_.Saved();
      }
    }
    form_->Command1_Click();
    if (!fails) model_.ShowEntries();  // a failed save stays on the open file
  }

  // Closing with unsaved lines: Cancel, or Yes with a save that fails, keeps the window.
  void CloseButStay() {
    const bool yes = Chance(50);
    Expect(yes ? kAnswerYes : kAnswerCancel, "Save Changes");
    if (yes) {
      SetFaultHook([](Step step) { return step == Step::Rename ? EIO : 0; });
      Expect(kAnswerOK, "Error");
      model_.folderTrimmed = true;
    }
    form_->close();
  }

  void Check() {
    for (const auto& [name, bytes] : model_.disk)
      ASSERT_EQ(testsupport::readFile(gameFile(QString(name).replace(u'\\', u'/').toStdString())), bytes);
    // Nothing else appeared: no temporary file was left behind.
    const auto all = fs::recursive_directory_iterator(gameFile(""));
    ASSERT_EQ(std::count_if(begin(all), end(all), [](const auto& e) { return e.is_regular_file(); }), 4);
    ASSERT_EQ(testsupport::readFile(settingsFile()), settings_);
    QStringList shown = model_.lines;
    if (model_.open.isEmpty())
      for (const auto& [name, bytes] : kFiles) shown << QStringLiteral("... ") + name;
    ASSERT_EQ(items(), shown);
    ASSERT_EQ(form_->Change, model_.change);
    ASSERT_EQ(dialogs_.titles(), expected_);
    ASSERT_TRUE(dialogs_.scriptDone() && form_->isVisible());
    const QString caption = QStringLiteral("Norvik2 - Prefs Editor");
    ASSERT_EQ(form_->windowTitle(), model_.open.isEmpty() ? caption : caption + QStringLiteral(" ... ") + model_.open.split(u'\\').last());
    ASSERT_EQ(form_->LineNfile_txt->Text(), model_.textBox);
    ASSERT_EQ(form_->List1->ListIndex(), model_.selected);
    ASSERT_TRUE(form_->List1->isEnabled() && !form_->Command2[0]->isEnabled() && !form_->Command2[1]->isEnabled());
    ASSERT_EQ(form_->GameDataPath, QStringLiteral("c:\\vandrel\\norvik2\\gamedata") + (model_.folderTrimmed ? "" : "\\"));
    dialogs_.clear();
    expected_.clear();
  }

  std::mt19937 random_{20261206};
  Model model_;
  std::string settings_;
  QStringList expected_;  // titles of the boxes the step must show, in order
};

TEST_F(Soak, thousandRandomSteps_diskAndWindowAlwaysMatchTheModel) {
  std::map<std::string, int> done;
  for (int step = 0; step < 1000; ++step) {
    SetFaultHook(nullptr);
    const int roll = Pick(100);
    std::string what = roll < 40 ? "commit" : roll < 50 ? "cancel" : roll < 65 ? "save" : roll < 90 ? "reload" : "close";
    if (model_.open.isEmpty()) what = roll < 80 ? "open" : roll < 90 ? "reload" : "save";
    if (what == "close" && !model_.change) what = "reload";
    if (what == "open") Open();
    if (what == "commit" || what == "cancel") Edit(what == "commit");
    if (what == "save") Save();
    if (what == "reload") Reload();
    if (what == "close") CloseButStay();
    ++done[what];
    SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
    Check();
    if (HasFatalFailure()) return;
  }
  for (const auto& [what, count] : done) EXPECT_GT(count, 10) << what;
  SetFaultHook(nullptr);
}

}  // namespace
