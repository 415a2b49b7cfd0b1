#include "ui/dialogs.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include "ui/placement.h"

namespace ui {
namespace {

// The boxes show their texts as plain text; CR LF is the program's line break.
QString displayText(const QString& text) {
  QString shown = text;
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  return shown;
}

QMessageBox::Icon toQtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// The width a box needs for the window manager to show its whole title. The title
// bar's font is the window manager's: on Windows the caption font the platform names,
// elsewhere most often a bold one about the size of the application's, and under Wine an
// X11 window manager's, whose face may run half as wide again as Windows' own (Wine's
// Tahoma, drawn from its outlines). The bar also holds the window's icon and up to three
// buttons, each about as wide as the bar is high, with some padding around each.
int widthForTitle(const QString& title) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(title) * 3 / 2 + 9 * metrics.height();
}

// That width less the margins around the items of the box's layout.
int itemWidthForTitle(const QWidget& box, const QLayout& layout) {
  const QMargins margins = box.contentsMargins() + layout.contentsMargins();
  return widthForTitle(box.windowTitle()) - margins.left() - margins.right();
}

// Centres a box on the window it belongs to while that window is shown, else on the
// screen, where the main window itself appears; frames and all.
void centre(QWidget& box) {
  const QWidget* owner = box.parentWidget();
  QRect area;
  if (owner != nullptr && owner->isVisible()) area = owner->window()->frameGeometry();
  else if (const QScreen* screen = box.screen()) area = screen->availableGeometry();
  CentreFrameOn(box, area);
}

// A message box as wide as its title needs and centred like the main window.
// A Yes/No question must be answered with one of its buttons: Escape and the
// window's close request are ignored. Qt would otherwise take a lone No button for
// the escape answer, and a user backing out of a question would answer it.
class AnswerBox final : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;
  void requireAnswer() {
    answerRequired_ = true;
    // A title bar without a close button (nor the system menu that holds Close).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  }

 protected:
  void showEvent(QShowEvent* event) override {
    // The box sizes itself as it is shown, to its texts and buttons; an empty row as
    // wide as the title needs widens it.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
      grid->addItem(new QSpacerItem(itemWidthForTitle(*this, *grid), 0, QSizePolicy::Fixed,
                                    QSizePolicy::Fixed),
                    grid->rowCount(), 0, 1, grid->columnCount());
    }
    QMessageBox::showEvent(event);
    centre(*this);
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (answerRequired_ && event->matches(QKeySequence::Cancel)) return;
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (answerRequired_) event->ignore();
    else QMessageBox::closeEvent(event);
  }

 private:
  bool answerRequired_ = false;
};

// An input box as wide as its title needs, centred like the main window, and of
// fixed size: a box that can be resized gets a resize handle along its foot from
// some window managers, and it has nothing that would use more room.
class PromptBox final : public QInputDialog {
 public:
  using QInputDialog::QInputDialog;

 protected:
  void showEvent(QShowEvent* event) override {
    if (auto* column = qobject_cast<QBoxLayout*>(layout())) {
      column->addStrut(itemWidthForTitle(*this, *column));
      column->setSizeConstraint(QLayout::SetFixedSize);
      column->activate();
    }
    QInputDialog::showEvent(event);
    centre(*this);
  }
};

}  // namespace

// A box shown before its window (the disclaimer, the drive prompt) belongs to no window:
// a box that belongs to a hidden one makes the system build that window and all its
// controls first, which under Wine took a start-up box twice as long to appear.
QWidget* QtDialogs::shownOwner() const {
  return owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr;
}

int QtDialogs::MsgBox(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) {
  AnswerBox box(shownOwner());
  box.setTextFormat(Qt::PlainText);
  box.setText(displayText(text));
  box.setWindowTitle(title);
  box.setIcon(toQtIcon(icon));

  // Captions with the usual access keys; the first button is the default one.
  QPushButton* first = nullptr;
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  QPushButton* cancel = nullptr;
  switch (buttons) {
    case MsgButtons::OK:
      first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      box.setEscapeButton(first);
      break;
    case MsgButtons::YesNo:
      first = yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
      no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
      box.requireAnswer();
      break;
    case MsgButtons::YesNoCancel:
      first = yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
      no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
      cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
      box.setEscapeButton(cancel);
      break;
  }
  box.setDefaultButton(first);
  box.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);  // a fixed border: nothing to resize
  box.exec();

  const auto* clicked = box.clickedButton();
  if (clicked == nullptr) return buttons == MsgButtons::OK ? kAnswerOK : kAnswerCancel;
  if (clicked == yes) return kAnswerYes;
  if (clicked == no) return kAnswerNo;
  if (clicked == cancel) return kAnswerCancel;
  return kAnswerOK;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title) {
  PromptBox box(shownOwner());
  box.setInputMode(QInputDialog::TextInput);
  box.setWindowTitle(title);
  box.setLabelText(displayText(prompt));
  box.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  if (box.exec() != QDialog::Accepted) return QString();
  return box.textValue();
}

}  // namespace ui
