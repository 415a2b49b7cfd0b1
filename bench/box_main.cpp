// The reference for the editor's start-up under Wine: a bare Qt Widgets program that
// shows one Yes/No message box, as the editor's first sight is its disclaimer.

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  return QMessageBox::question(nullptr, QStringLiteral("Bare box"), QStringLiteral("Do you agree?")) ==
         QMessageBox::Yes;
}
