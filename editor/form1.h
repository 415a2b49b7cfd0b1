#pragma once

// The editor's one window: its controls, its state and the handlers of their events.

#include <QString>
#include <QWidget>

#include "fileservices/filestamp.h"
#include "fileservices/hostpath.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace ui {
enum class MsgButtons;
class Button;
class Dialogs;
class Frame;
class Label;
class ListBox;
class Picture;
class TextBox;
}  // namespace ui

class QCloseEvent;

class Form1 final : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(ui::Dialogs& dialogs, QWidget* parent = nullptr);
  ~Form1() override;

  // Start-up, run once before the window is first shown. False when the program is
  // to end without showing the window (the disclaimer or the drive prompt said No).
  bool Form_Load();

  // --- Public operations -------------------------------------------------------
  // True while List1 holds the fully loaded lines of the open file with an edit not
  // yet written back.
  bool Change = false;
  void OpenScriptFile();
  QString ReturnFilename(const QString& file1) const;
  // True when the file was written; false after "Save Error".
  bool Save_PrefsFile(QString& basepath, const QString& FilePath, ui::ListBox& sList);

  // --- Editor state ------------------------------------------------------------
  QString GameDataPath;  // the game data folder; ends in "\" after every file search
  QString OpenFilePath;  // "\" + the open file's path below GameDataPath

  // --- Controls ----------------------------------------------------------------
  ui::Frame* Frame1 = nullptr;
  std::array<ui::Button*, 2> Command2{};  // 0 "&Change", 1 "C&ancel"
  ui::Button* Command3 = nullptr;         // "&Save  &&  Exit"
  ui::Button* Command1 = nullptr;         // "&Reload Prefs"
  ui::Label* Label4 = nullptr;
  ui::Label* Label3 = nullptr;
  ui::Label* Label2 = nullptr;
  ui::Picture* Image2 = nullptr;
  ui::Label* Label1 = nullptr;
  ui::TextBox* LineNfile_txt = nullptr;
  ui::ListBox* List1 = nullptr;

  // --- Event handlers ----------------------------------------------------------
  void List1_Click();
  void List1_DblClick();
  void LineNfile_txt_Click();
  void Command2_Click(int Index);
  void Command1_Click();
  void Command3_Click();
  void Label3_Click();

  // True while a file is being read into List1.
  bool Loading() const { return listHolds_ == ListHolds::LoadingFile; }

  // What happens after an error escaped an event handler and was shown: by default
  // the program ends. Tests replace it.
  std::function<void()> onFatalError;

  static const QString kCaption;
  static const QString kProjectAddress;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void SetTabOrder();
  void ConnectEvents();
  void CentreOnScreen();
  template <typename Handler> void Guarded(Handler handler);

  hostpath::HostPath SettingsFilePath() const;
  void FindGameDataFolder();
  bool PromptForDrive();
  void AddFileEntries(const std::vector<std::string>& found, size_t cut);
  void BuildFileListAtStartup();
  void BuildFileListOnReload();
  bool LoadFile(const QString& path);
  bool EditPending() const;
  bool MaybeSave(ui::MsgButtons buttons);
  bool MayWriteOverDisk();
  bool RunSaveStep();
  void SetBrowsing();

  ui::Dialogs& dialogs_;
  // What List1 holds. Only the lines of a file read to its end can hold an edit worth
  // saving; file entries (or nothing, after an open that failed) never can.
  enum class ListHolds { FileEntries, LoadingFile, FileLines };
  ListHolds listHolds_ = ListHolds::FileEntries;
  // What the open file held when its lines were read, for the check before a save.
  FileMisc::ContentStamp opened_;
  // The window was closed during a load: the load stops, then the window closes.
  bool closeAfterLoad_ = false;
};
