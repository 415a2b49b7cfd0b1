#include "editor/form1.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QApplication>

#include <exception>

int main(int argc, char* argv[]) {
  const auto app = ui::StartApplication(argc, argv, "norvik-prefs-editor");
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
