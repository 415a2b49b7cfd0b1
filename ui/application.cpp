#include "ui/application.h"

#include "ui/desktop.h"

#include <QFont>
#include <QMessageLogContext>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolTip>
#include <qdrawutil.h>

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

// The application's font and the fonts the platform gives the message boxes, tool tips,
// lists and menus, each in the face the desktop draws it in for its other programs, drawn
// smoothed, from the faces' outlines, as Windows draws text by default.
void DesktopFonts() {
  static const char* const kWidgetClasses[] = {nullptr, "QMessageBox", "QTipLabel", "QAbstractItemView", "QMenu"};
  for (const char* widgetClass : kWidgetClasses) {
    QFont font = QApplication::font(widgetClass);
    const QString face = desktop::FaceOf(font.family());
    if (face != font.family()) QFont::insertSubstitution(font.family(), face);
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font, widgetClass);
  }
}

// Tool tips in the desktop's tool-tip colours (QToolTip's palette), framed in their text
// colour. Windows' visual styles draw them from a theme instead, whose text (grey on white
// under Wine) is hard to read; every other control keeps the desktop's style.
class ToolTipStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  using QProxyStyle::polish;
  void polish(QWidget* widget) override {
    QProxyStyle::polish(widget);
    if (widget->inherits("QTipLabel")) widget->setPalette(QToolTip::palette());
  }
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_PanelTipLabel) return QProxyStyle::drawPrimitive(element, option, painter, widget);
    qDrawPlainRect(painter, option->rect, option->palette.toolTipText().color(), 1,
                   &option->palette.toolTipBase());
  }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    // A themed tip's rounded mask would cut the plain frame's corners.
    if (hint == SH_ToolTip_Mask) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv, const char* program) {
  startingProgram = program;
  previousHandler = qInstallMessageHandler(HoldOrEnd);
  // The desktop's platform choice, unless one was made (QT_QPA_PLATFORM, -platform); the
  // programs this one starts make their own.
  const QByteArray platform = desktop::Platform();
  const bool choosing = !platform.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
  if (choosing) qputenv("QT_QPA_PLATFORM", platform);
  auto app = std::make_unique<QApplication>(argc, argv);
  if (choosing) qunsetenv("QT_QPA_PLATFORM");
  qInstallMessageHandler(previousHandler);
  for (const auto& [type, message] : std::exchange(heldMessages, {})) {
    const QMessageLogContext context;
    if (previousHandler) previousHandler(type, context, message);
    else qt_message_output(type, context, message);
  }
  DesktopFonts();
  // The style the desktop (or -style) chose, its tool tips in the desktop's colours.
  QApplication::setStyle(new ToolTipStyle(QStyleFactory::create(QApplication::style()->name())));
  return app;
}

}  // namespace ui
