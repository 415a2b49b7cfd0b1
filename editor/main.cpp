#include "editor/form1.h"
#include "ui/dialogs.h"

#include <QApplication>

#include <exception>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("norvik-prefs-editor"));

  ui::QtDialogs dialogs;
  Form1 form(dialogs);
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
  return app.exec();
}
