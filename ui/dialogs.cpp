#include "ui/dialogs.h"

#include <QInputDialog>
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

}  // namespace

int QtDialogs::MsgBox(const QString& text, const QString& title, MsgIcon icon,
                      MsgButtons buttons) {
  QMessageBox box(owner_);
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
      box.setEscapeButton(no);
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
