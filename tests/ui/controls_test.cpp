#include "ui/controls.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

bool Latin1Only(char32_t c) { return c <= 0xFF; }

// The box holds one line of the characters it may hold, whichever way the text came in.
TEST(TextBox, holdsOneLineOfItsCharacterSet_typedPastedOrSet) {
  enum class Way { Set, Typed, Pasted };
  const std::tuple<Way, QString, QString> rows[] = {
      {Way::Set, QStringLiteral("first\r\nsecond"), QStringLiteral("first")},
      {Way::Set, QStringLiteral("one\ntwo"), QStringLiteral("one")},
      {Way::Set, QStringLiteral("caf\u00E9 \u65E5\u672C;"), QStringLiteral("caf\u00E9 ??;")},
      {Way::Set, QString::fromUtf16(u"a\U0001F600b\xD800"), QStringLiteral("a?b?")},
      // Guards against the box keeping only the first 32767 characters of a line.
      {Way::Set, QString(40000, u'x'), QString(40000, u'x')},
      {Way::Typed, QStringLiteral("a\u03A9\u00FF;"), QStringLiteral("a?\u00FF;")},
      {Way::Pasted, QString::fromUtf16(u"x\U0001F600y\r\nz"), QStringLiteral("x?y")},
  };
  for (const auto& [way, text, held] : rows) {
    ui::TextBox box(nullptr);
    box.SetCharacterSet(Latin1Only);
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

// Guards against Alt with a letter typing the letter when no button takes it.
TEST(TextBox, altChords_typeNothing) {
  ui::TextBox box(nullptr);
  box.show();
  QTest::keyClick(&box, Qt::Key_C, Qt::AltModifier);
  QTest::keyClick(&box, Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_TRUE(box.Text().isEmpty());
  QTest::keyClick(&box, Qt::Key_C);
  EXPECT_EQ(box.Text(), QStringLiteral("c"));
}

}  // namespace
