#include "ui/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The box holds one line, whichever way the text came in.
TEST(TextBox, holdsOneLineOfItsCharacterSet_typedPastedOrSet) {
  enum class Way { Set, Typed, Pasted };
  const std::tuple<Way, QString, QString> rows[] = {
      {Way::Set, QStringLiteral("first\r\nsecond"), QStringLiteral("first")},
      {Way::Set, QStringLiteral("one\ntwo"), QStringLiteral("one")},
      // Guards against the box keeping only the first 32767 characters of a line.
      {Way::Set, QString(40000, u'x'), QString(40000, u'x')},
      {Way::Typed, QStringLiteral("a\u00FF;"), QStringLiteral("a\u00FF;")},
      {Way::Pasted, QStringLiteral("xy\r\nz"), QStringLiteral("xy")},
  };
  for (const auto& [way, text, held] : rows) {
    ui::TextBox box(nullptr);
    box.show();
    if (way == Way::Set) box.SetText(text);
    for (qsizetype i = 0; way == Way::Typed && i < text.size(); ++i) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, 1));
      QApplication::sendEvent(&box, &key);
    }
    if (way == Way::Pasted) {
      QApplication::clipboard()->setText(text);
      QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    }
    EXPECT_EQ(box.Text(), held) << text.left(20).toStdString();
    EXPECT_EQ(box.cursorPosition(), held.size());
  }
}

}  // namespace
