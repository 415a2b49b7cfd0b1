#include "editor/form1.h"

#include "editor/listfile.h"
#include "editor/text.h"
#include "fileservices/codepage.h"
#include "fileservices/fileexists.h"
#include "fileservices/findfile.h"
#include "fileservices/lineloader.h"
#include "fileservices/safefilewriter.h"
#include "fileservices/settingsfile.h"
#include "fileservices/settingsfolder.h"
#include "fileservices/shellopen.h"
#include "ui/controls.h"
#include "ui/dialogs.h"
#include "ui/listbox.h"
#include "ui/placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

using ui::kAnswerNo;
using ui::kAnswerYes;
using ui::MsgButtons;
using ui::MsgIcon;

const QString Form1::kCaption = QStringLiteral("Norvik2 - Prefs Editor");
const QString Form1::kProjectAddress = QStringLiteral("https://stormwarden.example/");

namespace {

const QString kFileEntryMarker = QStringLiteral("... ");
const QString kSection = QStringLiteral("NorvikFolder");
const QString kKey = QStringLiteral("Norvik2");
const QString kCrLf = QStringLiteral("\r\n");

// The game data folder on a drive is the drive's text followed by this; the game's
// program lies in it.
const QString kGameFolderOnDrive = QStringLiteral(":\\vandrel\\norvik2\\gamedata");
const QString kGameProgram = QStringLiteral("\\norvik2.exe");
constexpr char kProbedDrives[] = {'c', 'd', 'e', 'f'};

bool IsFileEntry(const QString& text) { return text.startsWith(kFileEntryMarker); }

bool FileExists(const QString& path) { return FileMisc::FileExists(editor::ToCodePage(path)); }

// The settings file is named by its host path; only the value passes through the code page.
QString ReadIniValue(const hostpath::HostPath& file) {
  return editor::FromCodePage(
      FileMisc::ReadIniValue(editor::ToCodePage(kSection), editor::ToCodePage(kKey), file));
}

void WriteIniValue(const QString& value, const hostpath::HostPath& file) {
  FileMisc::WriteIniValue(editor::ToCodePage(kSection), editor::ToCodePage(kKey),
                          editor::ToCodePage(value), file);
}

QString Disclaimer() {
  return QStringLiteral("This program is \"AS-IS\" and YOU are fully responsible when using "
                        "this program!") +
         kCrLf + kCrLf +
         QStringLiteral("You may not charge fault to Oskvarl nor anyone affiliated with "
                        "Oskvarl when using this program.") +
         kCrLf + kCrLf + QStringLiteral("You consent in this agreement by using this program.") +
         kCrLf + kCrLf + QStringLiteral("Do you agree?");
}

QString SavePrompt() {
  return QStringLiteral("File contents have changed.") + kCrLf + kCrLf +
         QStringLiteral("Do you wish to save changes?");
}

}  // namespace

// The icon is compiled into the editor's static library, which Qt cannot see by itself.
static void InitResources() { Q_INIT_RESOURCE(resources); }

Form1::Form1(ui::Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
  InitResources();
  onFatalError = [] { std::exit(EXIT_FAILURE); };
  CreateControls();
  SetTabOrder();
  ConnectEvents();
}

Form1::~Form1() = default;

// ---------------------------------------------------------------------------------
// The window and its controls

void Form1::CreateControls() {
  setWindowTitle(kCaption);
  setWindowIcon(QIcon(QStringLiteral(":/norvik.ico")));
  setFixedSize(ui::TwipsToPixels(6630), ui::TwipsToPixels(3525));
  // A window of fixed size has a fixed border and nothing to maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

  const QFont serif = ui::SerifFont(8.25, false);
  const QFont serifBold = ui::SerifFont(8.25, true);

  Frame1 = new ui::Frame(this);
  ui::PlaceInTwips(Frame1, 0, 2280, 6615, 1215);

  Command2[0] = new ui::Button(QStringLiteral("&Change"), Frame1);
  ui::PlaceInTwips(Command2[0], 4440, 240, 2055, 375);
  Command2[0]->setFont(serifBold);

  Command3 = new ui::Button(QStringLiteral("&Save  &&  Exit"), Frame1);
  ui::PlaceInTwips(Command3, 4440, 720, 2055, 375);
  Command3->setFont(serif);

  Command2[1] = new ui::Button(QStringLiteral("C&ancel"), Frame1);
  ui::PlaceInTwips(Command2[1], 2400, 240, 2055, 375);
  Command2[1]->setFont(serifBold);

  Command1 = new ui::Button(QStringLiteral("&Reload Prefs"), Frame1);
  ui::PlaceInTwips(Command1, 2400, 720, 2055, 375);
  Command1->setFont(serif);

  Label4 = new ui::Label(QStringLiteral("v1.0.1"), Frame1);
  ui::PlaceInTwips(Label4, 120, 960, 1215, 255);
  Label4->setFont(serif);

  Label3 = new ui::Label(QString(), Frame1);
  ui::PlaceInTwips(Label3, 0, 240, 2295, 855);
  Label3->SetToolTipText(QStringLiteral("Visit Stormwarden"));
  Label3->setCursor(Qt::PointingHandCursor);

  Label2 = new ui::Label(QStringLiteral("Oskvarl"), Frame1);
  ui::PlaceInTwips(Label2, 1080, 720, 1815, 255);
  Label2->SetForeColor(QColor(192, 0, 0));
  Label2->setFont(serifBold);

  Image2 = new ui::Picture(Frame1);
  ui::PlaceInTwips(Image2, 120, 240, 780, 525);
  Image2->SetPicture(windowIcon());

  Label1 = new ui::Label(QStringLiteral("Developed by:"), Frame1);
  ui::PlaceInTwips(Label1, 960, 480, 1935, 375);
  Label1->SetForeColor(QColor(255, 0, 0));

  LineNfile_txt = new ui::TextBox(this);
  ui::PlaceInTwips(LineNfile_txt, 10, 2040, 6600, 285);
  LineNfile_txt->SetColors(ui::SystemMenuTextColor(), QColor(128, 128, 255));
  // What the box shows is what a save writes: nothing the code page lacks gets in.
  LineNfile_txt->SetCharacterSet(codepage::Holds);

  List1 = new ui::ListBox(this);
  ui::PlaceInTwips(List1, 10, 0, 6615, 2010);
  QPalette listColors = List1->palette();
  listColors.setColor(QPalette::Base, ui::SystemMenuTextColor());
  listColors.setColor(QPalette::Text, QColor(0, 192, 0));
  List1->setPalette(listColors);

  // The click area of the credit corner lies over the picture and the labels.
  Label3->raise();

  // Names for screen readers where no caption gives one; what the window shows stays.
  List1->setAccessibleName(QStringLiteral("Prefs files and lines"));
  LineNfile_txt->setAccessibleName(QStringLiteral("Selected line"));
  Label3->setAccessibleName(Label3->toolTip());
}

void Form1::SetTabOrder() {
  setTabOrder(List1, LineNfile_txt);
  setTabOrder(LineNfile_txt, Command3);
  setTabOrder(Command3, Command1);
  setTabOrder(Command1, Command2[0]);
  setTabOrder(Command2[0], Command2[1]);
}

// An error that escapes a handler is shown and ends the program: it never takes the
// process down silently, and the handler never goes on half done.
template <typename Handler>
void Form1::Guarded(Handler handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    hide();
    dialogs_.MsgBox(QString::fromLocal8Bit(error.what()), kCaption, MsgIcon::Error,
                    MsgButtons::OK);
    onFatalError();
  }
}

void Form1::ConnectEvents() {
  connect(List1, &ui::ListBox::Click, this, [this] { Guarded([this] { List1_Click(); }); });
  connect(List1, &ui::ListBox::DblClick, this,
          [this] { Guarded([this] { List1_DblClick(); }); });
  connect(LineNfile_txt, &ui::TextBox::Click, this,
          [this] { Guarded([this] { LineNfile_txt_Click(); }); });
  for (int index = 0; index < 2; ++index) {
    connect(Command2[index], &ui::Button::Click, this,
            [this, index] { Guarded([this, index] { Command2_Click(index); }); });
  }
  connect(Command1, &ui::Button::Click, this, [this] { Guarded([this] { Command1_Click(); }); });
  connect(Command3, &ui::Button::Click, this, [this] { Guarded([this] { Command3_Click(); }); });
  connect(Label3, &ui::Label::Click, this, [this] { Guarded([this] { Label3_Click(); }); });
}

void Form1::CentreOnScreen() {
  if (const QScreen* screen = this->screen()) ui::CentreFrameOn(*this, screen->availableGeometry());
}

// ---------------------------------------------------------------------------------
// Start-up

hostpath::HostPath Form1::SettingsFilePath() const { return hostpath::SettingsFile("NorvikPrefs.ini"); }

bool Form1::Form_Load() {
  if (dialogs_.MsgBox(Disclaimer(), QStringLiteral("Disclaimer"), MsgIcon::Exclamation,
                      MsgButtons::YesNo) == kAnswerNo) {
    return false;
  }
  Command2[0]->SetEnabled(false);
  Command2[1]->SetEnabled(false);

  GameDataPath = QString();
  FindGameDataFolder();
  if (GameDataPath.isEmpty() && !PromptForDrive()) return false;

  if (!GameDataPath.isEmpty()) BuildFileListAtStartup();
  CentreOnScreen();
  return true;
}

void Form1::FindGameDataFolder() {
  for (const char drive : kProbedDrives) {
    const QString folder = QChar::fromLatin1(drive) + kGameFolderOnDrive;
    if (FileExists((folder + kGameProgram).toLower())) {
      GameDataPath = folder;
      WriteIniValue(GameDataPath, SettingsFilePath());
      return;
    }
  }
}

// Asks for the drive until the game is found there; false when the user gives up.
bool Form1::PromptForDrive() {
  const QString prompt =
      QStringLiteral("Type the drive letter below.") + kCrLf + kCrLf + QStringLiteral("Example:  C");
  QString typed;
  for (;;) {
    typed = dialogs_.InputBox(prompt, QStringLiteral("Drive letter for Norvik"));
    // A text starting with "/" would make a host path, which reaches outside the drives.
    if (!typed.startsWith(u'/') && FileExists((typed + kGameFolderOnDrive + kGameProgram).toLower()))
      break;
    const QString message = QStringLiteral("Drive  ") + typed +
                            QStringLiteral("  does not hold the direcotry to Norvik2.") + kCrLf +
                            QStringLiteral("Would you like to select another drive?");
    if (dialogs_.MsgBox(message, QStringLiteral("Invalid Drive Letter"), MsgIcon::Error,
                        MsgButtons::YesNo) != kAnswerYes) {
      return false;
    }
  }
  GameDataPath = typed + kGameFolderOnDrive;
  WriteIniValue(GameDataPath, SettingsFilePath());
  GameDataPath = ReadIniValue(SettingsFilePath());
  return true;
}

// ---------------------------------------------------------------------------------
// The file list

namespace {

// Runs the search on `folder` (completed with its backslash, also for the caller).
std::vector<std::string> FindPrefsFiles(QString& folder) {
  std::string searched = editor::ToCodePage(folder);
  std::vector<std::string> found;
  FindFileRecursive::FindFiles(searched, "*", "*Prefs.cs", found);
  folder = editor::FromCodePage(searched);
  return found;
}

}  // namespace

// One file entry per found path, each cut by the length of the folder searched (with
// its backslash), so the entry is the path below the game data folder.
void Form1::AddFileEntries(const std::vector<std::string>& found, size_t cut) {
  std::vector<QString> entries;
  entries.reserve(found.size());
  for (const std::string& path : found) {
    const std::string_view relative =
        std::string_view(path).substr(std::min(cut, path.size()));
    entries.push_back(kFileEntryMarker + editor::FromCodePage(relative));
  }
  List1->AddItems(std::move(entries));
}

void Form1::BuildFileListAtStartup() {
  const std::vector<std::string> found = FindPrefsFiles(GameDataPath);
  AddFileEntries(found, static_cast<size_t>(GameDataPath.size()));
}

void Form1::BuildFileListOnReload() {
  // The settings file only decides whether the list is rebuilt.
  if (ReadIniValue(SettingsFilePath()).isEmpty()) return;
  const std::vector<std::string> found = FindPrefsFiles(GameDataPath);
  List1->Clear();
  // The open file's lines are gone: there is nothing left to save.
  listHolds_ = ListHolds::FileEntries;
  Change = false;
  AddFileEntries(found, static_cast<size_t>(GameDataPath.size()));
}

// ---------------------------------------------------------------------------------
// Opening a file

void Form1::List1_Click() {
  if (Loading()) return;
  const bool textBoxHeldEntry = IsFileEntry(LineNfile_txt->Text());
  List1->SetToolTipText(textBoxHeldEntry ? QStringLiteral("Edit File:  ") + List1->Text()
                                         : QString());
  LineNfile_txt->SetText(List1->Text());
}

void Form1::List1_DblClick() {
  if (Loading()) return;
  List1->SetToolTipText(QString());
  OpenScriptFile();
}

void Form1::OpenScriptFile() {
  if (!IsFileEntry(LineNfile_txt->Text()) || Loading()) return;

  // A line of the open file that looks like a file entry: its edits are not dropped
  // without a question. The entry is taken first, as committing a pending edit on Yes
  // may add a ";" to what the box shows.
  const QString relative = LineNfile_txt->Text().mid(kFileEntryMarker.size());
  if (!MaybeSave(MsgButtons::YesNo)) return;
  Change = false;

  SetBrowsing();
  List1->Clear();
  listHolds_ = ListHolds::FileEntries;

  LineNfile_txt->SetText(relative);
  OpenFilePath = QStringLiteral("\\") + relative;
  if (GameDataPath.isEmpty()) return;

  const bool goOn = LoadFile(GameDataPath + QStringLiteral("\\") + relative);
  setWindowTitle(kCaption + QStringLiteral(" ... ") + ReturnFilename(relative));
  LineNfile_txt->SetText(QString());
  if (!goOn) close();
}

// Loads the file's lines into List1; false when the window is to close now.
bool Form1::LoadFile(const QString& path) {
  // The list shows the lines as they come but takes no selection, and the text box
  // takes no typing: nothing the user does during the load changes either.
  listHolds_ = ListHolds::LoadingFile;
  List1->SetSelectionLocked(true);
  LineNfile_txt->setReadOnly(true);
  editor::ListFeeder feeder(*List1, closeAfterLoad_);
  const FileMisc::LoadResult result =
      FileMisc::LoadLinesIntoList(editor::ToCodePage(path), feeder, &opened_);
  feeder.Flush();
  List1->SetSelectionLocked(false);
  LineNfile_txt->setReadOnly(false);

  if (result == FileMisc::LoadResult::Complete) {
    listHolds_ = ListHolds::FileLines;
    return true;
  }
  listHolds_ = ListHolds::FileEntries;
  // A partly read file must never be taken for the whole file.
  List1->Clear();
  const QString name = ReturnFilename(path);
  QString message;
  switch (result) {
    case FileMisc::LoadResult::OpenFailed:
      message = QStringLiteral("Could not open %1.").arg(name);
      break;
    case FileMisc::LoadResult::ReadFailed:
      message = QStringLiteral("Could not read %1 to its end.").arg(name);
      break;
    case FileMisc::LoadResult::TooLarge:
      message = QStringLiteral("%1 is too large to open.").arg(name);
      break;
    case FileMisc::LoadResult::Stopped:
    case FileMisc::LoadResult::Complete:
      break;
  }
  if (!message.isEmpty())
    dialogs_.MsgBox(message, QStringLiteral("Error"), MsgIcon::Error, MsgButtons::OK);
  const bool closing = closeAfterLoad_;
  closeAfterLoad_ = false;
  return !closing;
}

QString Form1::ReturnFilename(const QString& file1) const {
  const qsizetype slash = file1.lastIndexOf(u'\\');
  return slash < 0 ? file1 : file1.mid(slash + 1);
}

// ---------------------------------------------------------------------------------
// Line editing

void Form1::LineNfile_txt_Click() {
  if (Loading()) return;
  const bool notAnEntry = !IsFileEntry(LineNfile_txt->Text());  // condition A
  const bool lineSelected = !List1->Text().isEmpty();            // condition B
  if (notAnEntry && lineSelected) {
    Command2[1]->SetEnabled(true);
    Command2[0]->SetEnabled(true);
    List1->SetEnabled(false);
  }
}

void Form1::Command2_Click(int Index) {
  if (Loading()) return;
  if (Index == 0) {
    if (!LineNfile_txt->Text().endsWith(u';')) {
      dialogs_.MsgBox(QStringLiteral("You must type a   ;   at the end of each line.") + kCrLf +
                          kCrLf + QStringLiteral("One will now be inserted for you."),
                      QStringLiteral("Syntax Error"), MsgIcon::Error, MsgButtons::OK);
      LineNfile_txt->SetText(LineNfile_txt->Text() + QStringLiteral(";"));
    }
    SetBrowsing();
    const QString line = LineNfile_txt->Text();
    const int selected = List1->ListIndex();
    if (selected >= 0) {
      List1->AddItem(line, selected);      // the selection moves down with the old line
      List1->RemoveItem(List1->ListIndex());  // ... which goes, leaving no selection
      // Only the lines of a file can hold an edit worth saving.
      if (listHolds_ == ListHolds::FileLines) Change = true;
    }
  } else {
    SetBrowsing();
    // Earlier commits stay offered for saving: cancelling this edit drops only it.
  }
  List1->SetFocus();
}

void Form1::SetBrowsing() {
  Command2[0]->SetEnabled(false);
  Command2[1]->SetEnabled(false);
  List1->SetEnabled(true);
}

// ---------------------------------------------------------------------------------
// Saving

bool Form1::Save_PrefsFile(QString& basepath, const QString& FilePath, ui::ListBox& sList) {
  if (basepath.endsWith(u'\\') && FilePath.startsWith(u'\\')) basepath.chop(1);
  const QString target = basepath + FilePath;

  bool saved = false;
  // Only the complete lines of a file are ever written over it.
  if ((&sList != List1 || listHolds_ == ListHolds::FileLines) && FileExists(target)) {
    FileMisc::SafeFileWriter writer(editor::ToCodePage(target));
    saved = writer.ok() && editor::WriteListLines(writer, sList) && writer.Commit();
  }
  if (!saved) {
    dialogs_.MsgBox(QStringLiteral("Save Error"), QStringLiteral("Error"), MsgIcon::Error,
                    MsgButtons::OK);
    return false;
  }
  Change = false;
  return true;
}

// Saves and tells so; false when the save failed (the user has seen "Save Error").
bool Form1::RunSaveStep() {
  if (!Save_PrefsFile(GameDataPath, OpenFilePath, *List1)) return false;
  dialogs_.MsgBox(QStringLiteral("Changes saved"), QStringLiteral("Success"),
                  MsgIcon::Exclamation, MsgButtons::OK);
  return true;
}

// True while the box holds a line of the open file typed over but not yet committed.
bool Form1::EditPending() const {
  return Command2[0]->Enabled() && listHolds_ == ListHolds::FileLines &&
         LineNfile_txt->Text() != List1->Text();
}

// Asks before unsaved edits, committed or still in the box, are left behind. True when
// the caller may go on: nothing unsaved, No, or Yes with a save that wrote the file.
bool Form1::MaybeSave(MsgButtons buttons) {
  const bool pending = EditPending();
  if (!Change && !pending) return true;
  switch (dialogs_.MsgBox(SavePrompt(), QStringLiteral("Save Changes"), MsgIcon::Question,
                          buttons)) {
    case kAnswerYes:
      // Asked before the typed line is committed: after No the window is as it was.
      if (!MayWriteOverDisk()) return false;
      if (pending) Command2_Click(0);
      return RunSaveStep();
    case kAnswerNo:
      if (pending) LineNfile_txt->SetText(List1->Text());
      return true;
    default:
      return false;
  }
}

// False when another program changed the open file since it was read and the user
// would rather keep that change. A file that is gone is left to the save to report.
bool Form1::MayWriteOverDisk() {
  if (listHolds_ != ListHolds::FileLines ||
      FileMisc::CompareWithDisk(editor::ToCodePage(GameDataPath + OpenFilePath), opened_) !=
          FileMisc::DiskState::Changed)
    return true;
  const QString text = ReturnFilename(OpenFilePath) +
                       QStringLiteral(" was changed by another program after it was opened.") +
                       kCrLf + QStringLiteral("Save your changes over it?");
  return dialogs_.MsgBox(text, QStringLiteral("File Changed"), MsgIcon::Exclamation,
                         MsgButtons::YesNo) == kAnswerYes;
}

// ---------------------------------------------------------------------------------
// Reload and exit

void Form1::Command1_Click() {
  if (Loading()) return;
  const QString caption = windowTitle();
  setWindowTitle(kCaption);
  if (!MaybeSave(MsgButtons::YesNo)) {
    // The edits are still only in the list: stay on the open file.
    setWindowTitle(caption);
    return;
  }
  Command1->SetEnabled(false);
  SetBrowsing();
  BuildFileListOnReload();
  Command1->SetEnabled(true);
}

void Form1::Command3_Click() {
  if (Loading()) return;
  close();
}

// Every way of closing the window (the exit button, the title bar, the desktop
// session ending) goes through here.
void Form1::closeEvent(QCloseEvent* event) {
  if (Loading()) {
    // End the load first; the window closes once it has unwound.
    closeAfterLoad_ = true;
    event->ignore();
    return;
  }
  if (MaybeSave(MsgButtons::YesNoCancel)) event->accept();
  else event->ignore();
}

// ---------------------------------------------------------------------------------
// Project link

void Form1::Label3_Click() {
  const QString address = kProjectAddress;
  FileMisc::OpenWithShell(static_cast<std::uintptr_t>(winId()), editor::ToCodePage(address));
}
