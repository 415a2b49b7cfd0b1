#include "ui/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

// Guards against Escape or the title bar's close answering No in a Yes/No box (a user
// backing out of a question must not answer it); with Cancel, both answer Cancel.
TEST(QtDialogsTest, escapeAndClose_answerOnlyWhereTheBoxHasAnEscapeAnswer) {
  ui::QtDialogs dialogs;
  // Each box is at least as wide as its title.
  static const QString title = QStringLiteral("A title much longer than what the box holds");
  const auto wideEnough = [](const QWidget* box) { return box->width() >= box->fontMetrics().horizontalAdvance(title); };
  for (const auto& [buttons, answer] : {std::pair{ui::MsgButtons::OK, ui::kAnswerOK}, {ui::MsgButtons::YesNo, ui::kAnswerYes},
                                        {ui::MsgButtons::YesNoCancel, ui::kAnswerCancel}}) {
    QTimer::singleShot(0, [buttons, wideEnough] {  // Escape, then a close request, then the default button
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      EXPECT_TRUE(box->text() == QStringLiteral("one\ntwo") && box->icon() == QMessageBox::Question && wideEnough(box));
      const Qt::WindowFlags flags = box->windowFlags();  // a Yes/No box asks for no close button
      EXPECT_EQ(flags.testFlag(Qt::CustomizeWindowHint) && !flags.testFlag(Qt::WindowCloseButtonHint), buttons == ui::MsgButtons::YesNo);
      QTest::keyClick(box, Qt::Key_Escape);
      if (box->isVisible()) box->windowHandle()->close();
      if (box->isVisible()) box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.MsgBox(QStringLiteral("one\r\ntwo"), title, ui::MsgIcon::Question, buttons), answer);
  }
  // The input box shows its prompt, CR LF as a line break; Cancel gives the empty text.
  for (const QString& typed : {QStringLiteral("g"), QString()}) {
    QTimer::singleShot(0, [typed, wideEnough] {
      auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      EXPECT_TRUE(box->labelText() == QStringLiteral("one\ntwo") && box->textValue().isEmpty() && wideEnough(box));
      box->setTextValue(QStringLiteral("g"));
      typed.isNull() ? box->reject() : box->accept();
    });
    EXPECT_EQ(dialogs.InputBox(QStringLiteral("one\r\ntwo"), title), typed);
  }
}
