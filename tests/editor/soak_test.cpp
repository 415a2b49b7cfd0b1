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

class Soak : public testsupport::EditorFixture {
 protected:
  // The model.
  std::map<QString, std::string> disk_;
  QString open_;       // empty: the list shows the file entries
  QStringList lines_;  // of the open file, as the list holds them
  bool change_ = false, trimmed_ = false;  // trimmed: a save took the game folder's backslash
  QString textBox_;
  int selected_ = -1;
  QStringList expected_;  // titles of the boxes the step shows, in order

  std::mt19937 random_{20261206};
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  void Expect(int answer, const char* title) { dialogs_.answer(answer), expected_ << QString::fromLatin1(title); }
  void Saved() {
    disk_[open_] = editor::ToCodePage(lines_.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    change_ = false;
  }
  // Makes the next save fail at its write or its rename, or be interrupted once (which
  // must not fail it; on Windows no signal interrupts a write). True when the save is to fail.
#ifdef _WIN32
  static constexpr int kInterrupted = 0;
#else
  static constexpr int kInterrupted = EINTR;
#endif
  bool ArmFault() {
    const int kind = Pick(8);
    auto interrupted = std::make_shared<bool>(kind != 2);
    SetFaultHook([kind, interrupted](Step step) {
      if (kind < 2) return step == (kind == 0 ? Step::Write : Step::Rename) ? ENOSPC : 0;
      return step == Step::Write && !std::exchange(*interrupted, true) ? kInterrupted : 0;
    });
    return kind < 2;
  }

  void Open() {
    const int index = Pick(3);
    clickItem(index);
    form_->List1_DblClick();
    open_ = kFiles[index].first;
    lines_.clear();
    for (const std::string& line : testsupport::NonBlankLines(disk_[open_])) lines_ << editor::FromCodePage(line);
    textBox_.clear();
  }

  void Edit(bool commit) {
    const int index = Pick(static_cast<int>(lines_.size()));
    clickItem(index);
    if (Pick(10) == 0) form_->List1_DblClick();  // a double click on a line changes nothing
    form_->LineNfile_txt_Click();
    // Code-page letters, one it lacks (it becomes '?'), blanks, sometimes no ";".
    static const QString alphabet = QStringLiteral("ab$:= \t0\u00E9\u20AC\u65E5\"");
    QString text;
    for (int n = Pick(10); n > 0; --n) text += alphabet[Pick(static_cast<int>(alphabet.size()))];
    if (Pick(10) < 7) text += u';';
    form_->LineNfile_txt->SetText(text);
    textBox_ = text.replace(u'\u65E5', u'?');
    selected_ = commit ? -1 : index;
    if (commit && !text.endsWith(u';')) Expect(kAnswerOK, "Syntax Error"), textBox_ += u';';
    form_->Command2_Click(commit ? 0 : 1);
    if (commit) lines_[index] = textBox_, change_ = true;
  }

  void Save() {
    const bool fails = ArmFault() || open_.isEmpty();  // file entries are never saved
    if (fails) Expect(kAnswerOK, "Error");
    form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
    trimmed_ = !form_->OpenFilePath.isEmpty();
    if (!fails) Saved();
  }

  void Reload() {
    bool fails = false;
    if (change_) {
      const bool yes = Pick(10) < 6;
      Expect(yes ? kAnswerYes : kAnswerNo, "Save Changes");
      if (yes) fails = ArmFault(), Expect(kAnswerOK, fails ? "Error" : "Success"), trimmed_ = true;
      if (yes && !fails) Saved();
    }
    form_->Command1_Click();
    if (fails) return;  // a failed save stays on the open file
    open_.clear(), lines_.clear(), change_ = false, selected_ = -1, trimmed_ = false;
  }

  // Closing with unsaved lines: Cancel, or Yes with a save that fails, keeps the window.
  void CloseButStay() {
    const bool yes = Pick(2);
    Expect(yes ? kAnswerYes : kAnswerCancel, "Save Changes");
    if (yes) SetFaultHook([](Step step) { return step == Step::Rename ? EIO : 0; }), Expect(kAnswerOK, "Error"), trimmed_ = true;
    form_->close();
  }

  void Check() {
    for (const auto& [name, bytes] : disk_)
      ASSERT_EQ(testsupport::readFile(gameFile(QString(name).replace(u'\\', u'/').toStdString())), bytes);
    // Nothing else appeared: no temporary file was left behind.
    const auto all = std::filesystem::recursive_directory_iterator(gameFile(""));
    ASSERT_EQ(std::count_if(begin(all), end(all), [](const auto& e) { return e.is_regular_file(); }), 4);
    QStringList shown = lines_;
    for (const auto& [name, bytes] : kFiles) shown << (open_.isEmpty() ? QStringLiteral("... ") + name : QString());
    shown.removeAll(QString());
    ASSERT_EQ(items(), shown);
    ASSERT_EQ(form_->Change, change_);
    ASSERT_TRUE(dialogs_.titles() == expected_ && dialogs_.scriptDone() && form_->isVisible());
    ASSERT_EQ(form_->windowTitle(), QStringLiteral("Norvik2 - Prefs Editor") + (open_.isEmpty() ? "" : " ... " + open_.split(u'\\').last()));
    ASSERT_TRUE(form_->LineNfile_txt->Text() == textBox_ && form_->List1->ListIndex() == selected_);
    ASSERT_TRUE(form_->List1->isEnabled() && !form_->Command2[0]->isEnabled() && !form_->Command2[1]->isEnabled());
    ASSERT_EQ(form_->GameDataPath, QStringLiteral("c:\\vandrel\\norvik2\\gamedata") + (trimmed_ ? "" : "\\"));
    dialogs_.clear();
    expected_.clear();
  }
};

TEST_F(Soak, thousandRandomSteps_diskAndWindowAlwaysMatchTheModel) {
  for (const auto& [name, bytes] : kFiles) writeGameFile(QString(name).replace(u'\\', u'/').toStdString(), bytes), disk_[name] = bytes;
  startWithGame();
  const std::string settings = testsupport::readFile(settingsFile());
  std::map<std::string, int> done;
  for (int step = 0; step < 1000 && !HasFatalFailure(); ++step) {
    SetFaultHook(nullptr);
    const int roll = Pick(100);
    std::string what = roll < 40 ? "commit" : roll < 50 ? "cancel" : roll < 65 ? "save" : roll < 90 || !change_ ? "reload" : "close";
    if (open_.isEmpty()) what = roll < 80 ? "open" : roll < 90 ? "reload" : "save";
    if (what == "open") Open();
    if (what == "commit" || what == "cancel") Edit(what == "commit");
    if (what == "save") Save();
    if (what == "reload") Reload();
    if (what == "close") CloseButStay();
    ++done[what];
    SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
    Check();
  }
  SetFaultHook(nullptr);
  EXPECT_EQ(testsupport::readFile(settingsFile()), settings);
  for (const auto& [what, count] : done) EXPECT_GT(count, 10) << what;
}

}  // namespace
