#include "ui/controls.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// A click on a label is a press and a release inside it; a release alone is none.
TEST(Label, clickIsAPressAndAReleaseInside) {
  ui::Label label(QStringLiteral("x"), nullptr);
  label.resize(40, 20);
  QSignalSpy clicks(&label, &ui::Label::Click);
  QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(90, 5));
  EXPECT_EQ(clicks.count(), 1);
}

// The box holds one line of the characters it may hold, whichever way the text came in;
// guards against Alt with a letter typing the letter when no button takes it.
TEST(TextBox, holdsOneLineOfItsCharacterSet_anAltChordTypesNothing) {
  ui::TextBox box(nullptr);
  box.SetText(QStringLiteral("\u03A9 typed before"));
  box.SetCharacterSet([](char32_t c) { return c <= 0xFF; });
  EXPECT_EQ(box.Text(), QStringLiteral("? typed before"));
  box.show();
  box.SetText(QStringLiteral("first\r\nsecond"));
  EXPECT_EQ(box.Text(), QStringLiteral("first"));
  box.SetText(QString::fromUtf16(u"caf\u00E9 \u65E5\U0001F600b\xD800;\n"));
  EXPECT_EQ(box.Text(), QStringLiteral("caf\u00E9 ??b?;"));
  box.SetText(QString(40000, u'x'));  // guards against keeping only the first 32767
  EXPECT_EQ(box.Text().size(), 40000);
  box.clear();
  for (const QString& c : {QStringLiteral("a"), QStringLiteral("\u03A9"), QStringLiteral("\u00FF")}) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c);
    QApplication::sendEvent(&box, &key);
  }
  QTest::keyClick(&box, Qt::Key_C, Qt::AltModifier);
  QTest::keyClick(&box, Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(box.Text(), QStringLiteral("a?\u00FF"));
  QApplication::clipboard()->setText(QString::fromUtf16(u"x\U0001F600y\r\nz"));
  QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(box.Text(), QStringLiteral("a?\u00FFx?y"));
  EXPECT_EQ(box.cursorPosition(), 6);
  box.setCursorPosition(1);
  box.insert(QString::fromUtf16(u"\U0001F600\U0001F600"));
  EXPECT_TRUE(box.Text() == QStringLiteral("a???\u00FFx?y") && box.cursorPosition() == 3);
}

// Enter and F2 are a click into the box, so the keyboard can start an edit; typing is
// none. A reader clicks through the box's action and edits its text as typing does.
TEST(TextBox, enterAndF2AreAClick_aReaderClicksAndEditsAsTypingDoes) {
  QWidget window;
  ui::TextBox box(&window), other(&window);
  box.SetCharacterSet([](char32_t c) { return c <= 0xFF; });
  window.show();
  QSignalSpy clicks(&box, &ui::TextBox::Click);
  for (const auto& [key, modifiers] : {std::pair{Qt::Key_A, Qt::NoModifier}, {Qt::Key_F2, Qt::ShiftModifier}, {Qt::Key_Return, Qt::ControlModifier},
                                       {Qt::Key_F2, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}})
    QTest::keyClick(&box, key, modifiers);
  EXPECT_TRUE(clicks.count() == 3 && box.Text() == "a");
  QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&box);
  QAccessibleTextInterface* text = reader->textInterface();
  QAccessibleEditableTextInterface* edit = reader->editableTextInterface();
  other.setFocus();
  reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(reader->role() == QAccessible::EditableText && clicks.count() == 4 && window.focusWidget() == &box);
  edit->replaceText(0, -1, QStringLiteral("wwx \u03A9"));
  edit->insertText(99, QStringLiteral("\u00E9"));  // past the end: at the end
  edit->deleteText(2, 3);
  int start = 0, end = 0;
  text->setSelection(0, 1, 3);
  text->removeSelection(1);  // the box has one selection alone
  text->selection(0, &start, &end);
  EXPECT_TRUE(box.Text() == QStringLiteral("ww ?\u00E9") && text->text(1, 3) == "w " && box.selectedText() == "w " && start == 1 && end == 3 &&
              text->selectionCount() == 1);
  text->removeSelection(0);
  text->selection(0, &start, &end);
  text->scrollToSubstring(1, 4);  // the cursor at the start of the text asked for, so it is in view
  EXPECT_TRUE(start == 0 && end == 0 && text->selectionCount() == 0 && box.cursorPosition() == 1);
  text->setCursorPosition(2);  // characters are placed from the cursor, on either side
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(text->offsetAtPoint(text->characterRect(i).topLeft() + QPoint(text->characterRect(i).width() / 4, 1)), i) << i;
  const auto character = [&](auto at) { return (text->*at)(-2, QAccessible::CharBoundary, &start, &end); };  // -2: at the cursor
  EXPECT_TRUE(character(&QAccessibleTextInterface::textBeforeOffset) == "w" && character(&QAccessibleTextInterface::textAtOffset) == " " &&
              character(&QAccessibleTextInterface::textAfterOffset) == "?");
  box.setReadOnly(true);
  edit->insertText(0, QStringLiteral("no"));
  box.setEnabled(false);  // no click, as with the mouse
  reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  const QAccessible::State state = reader->state();
  EXPECT_TRUE(box.Text().startsWith(QStringLiteral("ww")) && state.readOnly && state.editable && state.selectableText &&
              text->characterRect(5).isNull() && reader->actionInterface()->actionNames().isEmpty() && clicks.count() == 4);
}
