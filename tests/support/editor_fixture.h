#pragma once

// A Form1 on a throw-away drive c: with scripted boxes.

#include "editor/form1.h"
#include "support/scripted_dialogs.h"
#include "support/tempdir.h"
#include "ui/controls.h"
#include "ui/listbox.h"

#include <QStringList>

#include <memory>

namespace testsupport {

inline const char* const kGameData = "vandrel/norvik2/gamedata";

class EditorFixture : public DriveFixture {
 protected:
  void SetUp() override {
    DriveFixture::SetUp();
    form_ = std::make_unique<Form1>(dialogs_);
    form_->onFatalError = [this] { ++fatalErrors_; };
  }
  void TearDown() override {
    // Every box a test causes is one it expected and answered.
    EXPECT_EQ(dialogs_.unscripted(), 0) << dialogs_.titles().join(u',').toStdString();
    form_.reset();
    DriveFixture::TearDown();
  }

  // Writes `bytes` to `relative` (slashes) below drive c:'s game data folder.
  std::filesystem::path writeGameFile(std::string_view relative, std::string_view bytes) {
    return writeOnDrive('c', std::string(kGameData) + "/" + std::string(relative), bytes);
  }
  std::filesystem::path settingsFile() const { return exeFolder_ / "NorvikPrefs.ini"; }

  // The game on c:, the disclaimer accepted, the window loaded and shown.
  void startWithGame() {
    writeGameFile("norvik2.exe", "stand-in");
    dialogs_.answer(ui::kAnswerYes);
    ASSERT_TRUE(form_->Form_Load());
    form_->show();
    dialogs_.clear();
  }

  QStringList items() const {
    QStringList all;
    for (int i = 0; i < form_->List1->ListCount(); ++i) all << form_->List1->List(i);
    return all;
  }

  // A click on item `index`, as the user makes it.
  void clickItem(int index) {
    form_->List1->SetListIndex(index);
    form_->List1_Click();
  }

  // Click and double click on the file entry naming `relative` (backslashes).
  void openEntry(const QString& relative) {
    const int index = static_cast<int>(items().indexOf(QStringLiteral("... ") + relative));
    ASSERT_GE(index, 0) << relative.toStdString();
    clickItem(index);
    form_->List1_DblClick();
  }

  // Selects line `index`, clicks into the text box, types `text` and commits.
  void editLine(int index, const QString& text) {
    clickItem(index);
    form_->LineNfile_txt_Click();
    form_->LineNfile_txt->SetText(text);
    form_->Command2_Click(0);
  }

  ui::ScriptedDialogs dialogs_;
  std::unique_ptr<Form1> form_;
  int fatalErrors_ = 0;
};

}  // namespace testsupport
