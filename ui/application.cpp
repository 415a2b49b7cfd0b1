#include "ui/application.h"

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
  return app;
}

}  // namespace ui
