#include "ui/application.h"

#include <QFont>
#include <QMessageLogContext>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace ui {

namespace {

const char* startingProgram = nullptr;
QtMessageHandler previousHandler = nullptr;
// What Qt said while the application was being made; told once it stands.
std::vector<std::pair<QtMsgType, QString>> heldMessages;

void HoldOrEnd(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    heldMessages.emplace_back(type, message);
    return;
  }
  // The only fatal error while the application is made: no platform could be started.
  std::fprintf(stderr, "%s needs a graphical desktop: no display could be opened.\n", startingProgram);
  std::fflush(stderr);
  std::_Exit(EXIT_FAILURE);
}

// Text is drawn smoothed, from the faces' outlines, as Windows draws it by default. Under
// Wine the dialog font's face (Wine's own Tahoma) also carries bitmaps for small sizes,
// which Qt's glyph cache cuts at the top ("f" read as "t"); smoothed text never takes them.
// The fonts the platform gives the message boxes, tooltips, lists and menus keep their
// faces and sizes.
void SmoothText() {
  QFont font = QGuiApplication::font();
  font.setStyleStrategy(QFont::PreferAntialias);
  QGuiApplication::setFont(font);
  for (const char* widgetClass : {"QMessageBox", "QTipLabel", "QAbstractItemView", "QMenu"}) {
    font = QApplication::font(widgetClass);
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font, widgetClass);
  }
}

}  // namespace

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv, const char* program) {
  startingProgram = program;
  previousHandler = qInstallMessageHandler(HoldOrEnd);
  auto app = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previousHandler);
  for (const auto& [type, message] : std::exchange(heldMessages, {})) {
    const QMessageLogContext context;
    if (previousHandler) previousHandler(type, context, message);
    else qt_message_output(type, context, message);
  }
  SmoothText();
  return app;
}

}  // namespace ui
