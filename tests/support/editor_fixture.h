#pragma once

// A Form1 on a throw-away drive c: with scripted boxes, and a way to write what a user
// does and sees as a list of steps.

#include "editor/form1.h"
#include "fileservices/codepage.h"
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
    codepage::Use(1252);
    DriveFixture::TearDown();
  }

  // Writes `bytes` to `relative` (slashes) below drive c:'s game data folder.
  std::filesystem::path writeGameFile(std::string_view relative, std::string_view bytes) {
    return writeOnDrive('c', std::string(kGameData) + "/" + std::string(relative), bytes);
  }
  std::filesystem::path gameFile(std::string_view relative) const {
    return dir_.path() / "drive_c" / kGameData / HostName(std::string(relative));
  }
  std::filesystem::path settingsFile() const { return exeFolder_ / "NorvikPrefs.ini"; }

  // The game on c:, the disclaimer accepted, the window loaded and shown.
  void startWithGame() {
    writeGameFile("norvik2.exe", "stand-in");
    dialogs_.answer(ui::kAnswerYes);
    ASSERT_TRUE(form_->Form_Load());
    form_->show();
    dialogs_.clear();
    seenBoxes_ = 0;
  }

  QStringList items() const {
    QStringList all;
    for (int i = 0; i < form_->List1->ListCount(); ++i) all << form_->List1->List(i);
    return all;
  }

  // Runs steps as a user takes them, with checks of what the window shows between them:
  //   game X (the game on drive X, with sub/XPrefs.cs), ini BYTES|folder (the settings
  //   file), typed TEXT ("typed" alone: Cancel; {tmp} is the throw-away folder), start
  //   (the start-up, then the window is shown unless it ends the program), click N, dbl, open ENTRY (click and double click), box (click into the text box),
  //   key list|box KEY (a key pressed in List1 or the text box), act N [ACTION]|box (a screen reader's action, "Press" by default, on item N or the box),
  //   type TEXT, change, cancel, reload, exit, close (the title bar), save, readonly FILE,
  //   locked FILE (held open without sharing, until unlock; Windows), outside|renamed FILE:BYTES,
  //   touch FILE, remove FILE (another program's doing), codepage N (in use from then on),
  //   bytes NAME:BYTES (a game file)
  //   answer A,B,... (Yes, No, Cancel, OK for the coming boxes)
  //   items=A|B|..  caption=NAME ("" without a file)  text=..  tip=..  index=N
  //   change=0|1  editing=0|1  shown=0|1  boxes=TITLE|.. (since the last boxes=)
  //   file=NAME:BYTES (what the game file NAME holds), folder=GameDataPath, settings=BYTES
  void Run(const std::vector<std::string>& steps);

  ui::ScriptedDialogs dialogs_;
  std::unique_ptr<Form1> form_;
  int fatalErrors_ = 0;
  std::vector<std::shared_ptr<void>> held_;  // files held open without sharing (Windows)
  qsizetype seenBoxes_ = 0;  // boxes a "boxes=" step has looked at
};

}  // namespace testsupport
