#include "editor/form1.h"
#include "fileservices/codepage.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

constexpr char kHelp[] = R"(Usage: norvik-prefs-editor [--help | --version]
Edits the preference scripts of the game Norvik2 (the *Prefs.cs files below its data
folder): lists them, changes one line at a time and writes the file back safely.

It looks for c:\vandrel\norvik2\gamedata\norvik2.exe, then for the same on d:, e: and
f:; when none is there, it asks for the drive letter. On Linux drive x: is the first
folder of these: dosdevices/x: beside the program, then in the configuration folder
~/.config/norvik-prefs-editor ($XDG_CONFIG_HOME/norvik-prefs-editor when that is set),
then in the Wine prefix ($WINEPREFIX, else ~/.wine). The settings file,
NorvikPrefs.ini, is kept beside the program, or in the configuration folder when the
program cannot write beside itself.

  -h, --help     print this help and exit
      --version  print the version and the code page of the game's files, and exit

It needs a graphical desktop. Qt's own options (-platform, -style ...) work too.
See norvik-prefs-editor(6).
)";

// Prints `text` to standard output; a failed write (a full disk) ends in 1.
int Print(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
  return std::ferror(stdout) ? 1 : 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Every file, name and typed text from here on is in this code page.
  const int codePage = codepage::UseSystemCodePage();
  // These two answer without a desktop, so they are looked at before Qt starts.
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") return Print(kHelp);
    if (option == "--version") {
      std::string version = "norvik-prefs-editor " NORVIK_VERSION "\ncode page: Windows-" + std::to_string(codePage);
      // A double-byte system code page (932, 936, 949, 950) or Unicode is not one the game's
      // 8-bit files are written in.
      if (const int system = codepage::SystemCodePage(); system != codePage)
        version += " (the system's " + std::to_string(system) + " is no single-byte code page)";
      return Print((version + "\n").c_str());
    }
  }
  const auto app = ui::StartApplication(argc, argv, "norvik-prefs-editor");
  // Qt has taken its own options out; a word left over is a mistake, not to be ignored.
  if (argc > 1) {
    std::fprintf(stderr, "norvik-prefs-editor: unknown argument '%s' (see norvik-prefs-editor --help)\n", argv[1]);
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("norvik-prefs-editor"));
  // The installed menu entry's name: the desktop shell groups the window under it.
  QGuiApplication::setDesktopFileName(QStringLiteral("example.stormwarden.NorvikPrefsEditor"));

  ui::QtDialogs dialogs;
  Form1 form(dialogs);
  // The boxes shown before the window (the disclaimer, the drive prompt) carry its icon too.
  QApplication::setWindowIcon(form.windowIcon());
  dialogs.setOwner(&form);
  try {
    if (!form.Form_Load()) return 0;
  } catch (const std::exception& error) {
    dialogs.setOwner(nullptr);
    dialogs.MsgBox(QString::fromLocal8Bit(error.what()), Form1::kCaption, ui::MsgIcon::Error,
                   ui::MsgButtons::OK);
    return 1;
  }
  form.show();
  return app->exec();
}
