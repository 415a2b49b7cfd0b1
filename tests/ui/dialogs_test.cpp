#include "ui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

// Guards against Escape or the title bar's close answering No in a Yes/No box: a
// user backing out of a question must not answer it. With Cancel, both answer Cancel.
TEST(QtDialogsTest, escapeAndClose_answerOnlyWhereTheBoxHasAnEscapeAnswer) {
  const struct {
    ui::MsgButtons buttons;
    int answer;  // Escape, then a close request, then the default button
  } rows[] = {{ui::MsgButtons::OK, ui::kAnswerOK},
              {ui::MsgButtons::YesNo, ui::kAnswerYes},
              {ui::MsgButtons::YesNoCancel, ui::kAnswerCancel}};
  ui::QtDialogs dialogs;
  for (const auto& row : rows) {
    SCOPED_TRACE(static_cast<int>(row.buttons));
    QTimer::singleShot(0, [] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      QTest::keyClick(box, Qt::Key_Escape);
      if (box->isVisible()) box->windowHandle()->close();
      if (box->isVisible()) box->defaultButton()->click();
    });
    EXPECT_EQ(dialogs.MsgBox(QStringLiteral("Text"), QStringLiteral("Title"), ui::MsgIcon::None,
                             row.buttons),
              row.answer);
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
  // Room for the title, the window's icon and three title-bar buttons.
  const int titleBar = metrics.horizontalAdvance(title) + 4 * metrics.height();
  QWidget owner;
  owner.setGeometry(40, 30, 200, 100);
  ui::QtDialogs dialogs(&owner);
  for (const bool shown : {false, true}) {
    owner.setVisible(shown);
    const QPoint centre = (shown ? owner.geometry() : owner.screen()->availableGeometry()).center();
    for (const bool input : {false, true}) {
      SCOPED_TRACE(testing::Message() << "window shown " << shown << ", input box " << input);
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_GE(box->width(), titleBar);
        EXPECT_EQ(box->geometry().center(), centre);
        EXPECT_EQ(box->minimumSize(), box->maximumSize());
        box->reject();
      });
      if (input) dialogs.InputBox(QStringLiteral("Text"), title);
      else dialogs.MsgBox(QStringLiteral("Text"), title, ui::MsgIcon::None, ui::MsgButtons::OK);
    }
  }
}
