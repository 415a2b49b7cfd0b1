#include "ui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

// Guards against Escape or the title bar's close answering No in a Yes/No box (a user
// backing out of a question must not answer it); with Cancel, both answer Cancel.
TEST(QtDialogsTest, escapeAndClose_answerOnlyWhereTheBoxHasAnEscapeAnswer) {
  ui::QtDialogs dialogs;
  for (const auto& [buttons, answer] : {std::pair{ui::MsgButtons::OK, ui::kAnswerOK}, {ui::MsgButtons::YesNo, ui::kAnswerYes},
                                        {ui::MsgButtons::YesNoCancel, ui::kAnswerCancel}}) {
    QTimer::singleShot(0, [] {  // Escape, then a close request, then the default button
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QTest::keyClick(box, Qt::Key_Escape);
      if (box->isVisible()) box->windowHandle()->close();
      if (box->isVisible()) box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.MsgBox(QStringLiteral("Text"), QStringLiteral("Title"), ui::MsgIcon::None, buttons), answer);
  }
}

// Guards against titles cut short by the window manager ("E... r"), boxes opening in a
// corner while their window is not shown yet, and an input box that can be resized
// (the window manager drew a resize handle along its foot).
TEST(QtDialogsTest, boxes_showTheirTitle_centredOnTheShownWindowElseOnTheScreen) {
  const QString title = QStringLiteral("A title far longer than the text");
  QFont bold = QApplication::font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  QWidget owner;
  owner.setGeometry(40, 30, 200, 100);
  ui::QtDialogs dialogs(&owner);
  for (const bool shown : {false, true}) {
    owner.setVisible(shown);
    const QPoint centre = (shown ? owner.geometry() : owner.screen()->availableGeometry()).center();
    for (const bool input : {false, true}) {
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // Room for the title, the window's icon and three title-bar buttons.
        EXPECT_GE(box->width(), metrics.horizontalAdvance(title) + 4 * metrics.height());
        EXPECT_TRUE(box->geometry().center() == centre && box->minimumSize() == box->maximumSize()) << shown << input;
        box->reject();
      });
      input ? (void)dialogs.InputBox(QStringLiteral("Text"), title)
            : (void)dialogs.MsgBox(QStringLiteral("Text"), title, ui::MsgIcon::None, ui::MsgButtons::OK);
    }
  }
}
