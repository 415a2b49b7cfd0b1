// A thousand random steps through the window (open, edit, cancel, commit, save, reload,
// close), some saves failing on purpose, checked after every step against a model
// small enough to be obviously right: which file is open, its lines, whether they
// are changed, and what every file on disk holds.

#include <cerrno>
#include <map>
#include <memory>
#include <random>
#include <utility>

#include "editor/editor_fixture.h"
#include "editor/text.h"
#include "fileservices/replacefile.h"

namespace fs = std::filesystem;
using fileservices_internal::testing::SetFaultHook;
using fileservices_internal::testing::Step;
using testsupport::readFile;
using ui::kAnswerCancel;
using ui::kAnswerNo;
using ui::kAnswerOK;
using ui::kAnswerYes;

namespace {

constexpr int kSteps = 1000;

// The files, in the order the list shows them, with what they hold at the start.
const std::pair<const char*, const char*> kFiles[] = {
    {"APrefs.cs", "$a = 1;\r\n\r\n  \n$b = \"x y\";\r$c = 3;"},
    {"net\\NetPrefs.cs", "\t$n = 1;  \n\xE9t\xE9 = 2;\r\n"},
    {"net\\sub\\SubPrefs.cs", "$s = 1;\r\n"},
};

// The lines the editor shows for a file's bytes.
QStringList NonBlankLines(const std::string& bytes) {
  QStringList lines;
  std::string line;
  auto flush = [&] {
    if (line.find_first_not_of(' ') != std::string::npos) lines << editor::FromCodePage(line);
    line.clear();
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') {
      line += bytes[i];
      continue;
    }
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    flush();
  }
  flush();
  return lines;
}

struct Model {
  std::map<QString, std::string> disk;
  QString open;      // empty: the list shows the file entries
  QStringList lines;  // of the open file, as the list holds them
  bool change = false;

  std::string Saved() const {
    std::string bytes;
    for (const QString& line : lines) bytes += editor::ToCodePage(line) + "\r\n";
    return bytes;
  }
};

class SoakTest : public testsupport::EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    for (const auto& [name, bytes] : kFiles) {
      writeGameFile(QString::fromLatin1(name).replace(u'\\', u'/').toStdString(), bytes);
      model_.disk[QString::fromLatin1(name)] = bytes;
    }
    startWithGame();
    form_->show();
    settings_ = readFile(settingsFile());
  }
  void TearDown() override {
    SetFaultHook(nullptr);
    EditorFixture::TearDown();
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool Chance(int percent) { return Pick(100) < percent; }

  // A line as a user might type it: code-page letters, one the code page lacks, blanks
  // at either end, sometimes without the ";".
  QString TypedLine() {
    static const QString alphabet = QStringLiteral("ab$:= \t0\u00E9\u20AC\u65E5\"");
    QString text;
    for (int n = Pick(10); n > 0; --n) text += alphabet[Pick(static_cast<int>(alphabet.size()))];
    if (Chance(70)) text += u';';
    return text;
  }

  // Makes the next save fail at its write or its rename, or be interrupted once (which
  // must not fail it). True when the save is to fail.
  bool ArmFault() {
    const int kind = Pick(8);
    if (kind == 0 || kind == 1) {
      const Step failing = kind == 0 ? Step::Write : Step::Rename;
      SetFaultHook([failing](Step step) { return step == failing ? ENOSPC : 0; });
      return true;
    }
    if (kind == 2) {
      auto interrupted = std::make_shared<bool>(false);
      SetFaultHook([interrupted](Step step) {
        return step == Step::Write && !std::exchange(*interrupted, true) ? EINTR : 0;
      });
      return false;
    }
    SetFaultHook(nullptr);
    return false;
  }

  // --- Steps ------------------------------------------------------------------------

  void Open() {
    const int index = Pick(static_cast<int>(std::size(kFiles)));
    clickItem(index);
    form_->List1_DblClick();
    model_.open = QString::fromLatin1(kFiles[index].first);
    model_.lines = NonBlankLines(model_.disk[model_.open]);
  }

  // A double click on a line changes nothing (it is no file entry).
  void DoubleClickLine() {
    clickItem(Pick(static_cast<int>(model_.lines.size())));
    form_->List1_DblClick();
  }

  void Edit(bool commit) {
    const int index = Pick(static_cast<int>(model_.lines.size()));
    clickItem(index);
    form_->LineNfile_txt_Click();
    QString text = TypedLine();
    form_->LineNfile_txt->SetText(text);
    if (!commit) {
      form_->Command2_Click(1);
      return;
    }
    if (!text.endsWith(u';')) {
      dialogs_.answer(kAnswerOK);
      expected_ << QStringLiteral("Syntax Error");
      text += u';';
    }
    form_->Command2_Click(0);
    model_.lines[index] = text;
    model_.change = true;
  }

  void SaveDirectly() {
    const bool fails = ArmFault() || model_.open.isEmpty();  // file entries are never saved
    if (fails) {
      dialogs_.answer(kAnswerOK);
      expected_ << QStringLiteral("Error");
    }
    form_->Save_PrefsFile(form_->GameDataPath, form_->OpenFilePath, *form_->List1);
    if (!fails) {
      model_.disk[model_.open] = model_.Saved();
      model_.change = false;
    }
  }

  void Reload() {
    bool back = true;
    if (model_.change) {
      expected_ << QStringLiteral("Save Changes");
      const bool yes = Chance(60);
      dialogs_.answer(yes ? kAnswerYes : kAnswerNo);
      if (yes) {
        const bool fails = ArmFault();
        dialogs_.answer(kAnswerOK);
        expected_ << (fails ? QStringLiteral("Error") : QStringLiteral("Success"));
        if (!fails) model_.disk[model_.open] = model_.Saved();
        back = !fails;  // a failed save stays on the open file
      }
    }
    form_->Command1_Click();
    if (back) {
      model_.open.clear();
      model_.lines.clear();
      model_.change = false;
    }
  }

  // Closing with unsaved lines: Cancel, or Yes with a save that fails, keeps the window.
  void CloseButStay() {
    expected_ << QStringLiteral("Save Changes");
    if (Chance(50)) {
      dialogs_.answer(kAnswerCancel);
    } else {
      dialogs_.answer(kAnswerYes);
      SetFaultHook([](Step step) { return step == Step::Rename ? EIO : 0; });
      dialogs_.answer(kAnswerOK);
      expected_ << QStringLiteral("Error");
    }
    form_->close();
  }

  // --- The check ----------------------------------------------------------------------

  void Check(int step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const fs::path game = dir_.path() / "drive_c" / testsupport::kGameData;
    for (const auto& [name, bytes] : model_.disk)
      ASSERT_EQ(readFile(game / QString(name).replace(u'\\', u'/').toStdString()), bytes)
          << name.toStdString();
    // Nothing else appeared: no temporary file was left behind.
    int entries = 0;
    for (auto it = fs::recursive_directory_iterator(game); it != fs::recursive_directory_iterator(); ++it)
      entries += it->is_regular_file();
    ASSERT_EQ(entries, static_cast<int>(std::size(kFiles)) + 1);  // and norvik2.exe
    ASSERT_EQ(readFile(settingsFile()), settings_);

    QStringList shown = model_.lines;
    if (model_.open.isEmpty())
      for (const auto& [name, bytes] : kFiles) shown << QStringLiteral("... ") + name;
    ASSERT_EQ(items(), shown);
    ASSERT_EQ(form_->Change, model_.change);
    QStringList titles;
    for (const auto& box : dialogs_.boxes()) titles << box.title;
    ASSERT_EQ(titles, expected_);
    ASSERT_TRUE(dialogs_.scriptDone());
    dialogs_.clear();
    expected_.clear();
  }

  std::mt19937 random_{20261206};
  Model model_;
  std::string settings_;
  QStringList expected_;  // titles of the boxes the step must show, in order
};

}  // namespace

TEST_F(SoakTest, thousandRandomSteps_diskAlwaysMatchesTheModel) {
  std::map<std::string, int> done;
  for (int step = 0; step < kSteps; ++step) {
    SetFaultHook(nullptr);
    const int roll = Pick(100);
    std::string what;
    if (model_.open.isEmpty()) {
      what = roll < 80 ? "open" : roll < 90 ? "reload" : "save";
    } else {
      what = roll < 40   ? "commit"
             : roll < 50 ? "cancel"
             : roll < 65 ? "save"
             : roll < 90 ? "reload"
             : model_.change ? "close"
                             : "double click on a line";
    }
    if (what == "open") Open();
    if (what == "commit" || what == "cancel") Edit(what == "commit");
    if (what == "save") SaveDirectly();
    if (what == "reload") Reload();
    if (what == "close") CloseButStay();
    if (what == "double click on a line") DoubleClickLine();
    ++done[what];
    SCOPED_TRACE(what);
    Check(step);
    if (HasFatalFailure()) return;
  }
  for (const auto& [what, count] : done) EXPECT_GT(count, 10) << what;
}
