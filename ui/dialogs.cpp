#include "ui/dialogs.h"

#include <QCloseEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

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

// A box whose question must be answered with one of its buttons: Escape and the
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

}  // namespace

int QtDialogs::MsgBox(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) {
  AnswerBox box(owner_);
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
  box.exec();

  const auto* clicked = box.clickedButton();
  if (clicked == nullptr) return buttons == MsgButtons::OK ? kAnswerOK : kAnswerCancel;
  if (clicked == yes) return kAnswerYes;
  if (clicked == no) return kAnswerNo;
  if (clicked == cancel) return kAnswerCancel;
  return kAnswerOK;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title) {
  QInputDialog box(owner_);
  box.setInputMode(QInputDialog::TextInput);
  box.setWindowTitle(title);
  box.setLabelText(displayText(prompt));
  box.setTextValue(QString());
  if (box.exec() != QDialog::Accepted) return QString();
  return box.textValue();
}

}  // namespace ui
