#include "ui/listbox.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list_.resize(200, 120);
    fill(4);
    list_.show();
  }
  void fill(int count) {
    list_.Clear();
    std::vector<QString> items;
    for (int i = 0; i < count; ++i) items.push_back(QString(QChar(u'a' + i % 26)) + QString::number(i));
    list_.AddItems(std::move(items));
    QTest::qWait(0);  // the view lays the rows out before the next input
  }
  QRect rowRect(int row) const { return list_.visualRect(list_.model()->index(row, 0)); }
  bool inView(int row) const { return rowRect(row).top() >= 0 && rowRect(row).bottom() < list_.viewport()->height(); }

  ui::ListBox list_{nullptr};
  // Every change of the items must be announced as the views expect it.
  QAbstractItemModelTester tester_{list_.model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

// The commit of an edit inserts the new line before the selected one, then removes the
// selected one: it relies on both rules. Changes the program makes raise no Click.
TEST_F(ListBoxTest, insertMovesTheSelectionWithItsItem_removingItLeavesNoSelection) {
  QSignalSpy clicks(&list_, &ui::ListBox::Click);
  for (const auto& [at, indexAfter] : {std::pair{0, 3}, {2, 3}, {3, 2}, {-1, 2}, {9, 2}}) {
    fill(4);
    list_.SetListIndex(2);
    list_.AddItem(QStringLiteral("new"), at);
    EXPECT_TRUE(list_.ListIndex() == indexAfter && list_.currentIndex().row() == indexAfter && list_.Text() == "c2") << at;
  }
  fill(4);
  list_.SetListIndex(2);
  list_.RemoveItem(0);
  EXPECT_TRUE(list_.ListIndex() == 1 && list_.Text() == "c2");
  list_.AddItem(QStringLiteral("C"), list_.ListIndex());
  list_.RemoveItem(list_.ListIndex());
  list_.RemoveItem(3);  // one past the end: nothing
  EXPECT_TRUE(list_.ItemView(-1).isEmpty() && list_.ItemView(3).isEmpty());  // outside the list: nothing
  EXPECT_EQ(list_.List(0) + list_.List(1) + list_.List(2) + list_.List(3), QStringLiteral("b1Cd3"));
  EXPECT_TRUE(list_.ListIndex() == -1 && list_.Text().isEmpty() && !list_.selectionModel()->hasSelection());
  list_.SetListIndex(0);
  EXPECT_TRUE(list_.selectionModel()->isSelected(list_.model()->index(0, 0)) && list_.currentIndex().row() == 0 && clicks.count() == 0);
}

// Selecting with the mouse or a key is a Click; a locked list takes no selection.
TEST_F(ListBoxTest, mouseAndKeys_selectAndClick_unlessLocked) {
  fill(59);
  list_.AddItem(QStringLiteral("h59"));  // added behind no selection: the mouse and keys still select
  QTest::qWait(0);
  QSignalSpy clicks(&list_, &ui::ListBox::Click), doubles(&list_, &ui::ListBox::DblClick);
  QTest::mousePress(list_.viewport(), Qt::LeftButton, {}, rowRect(4).center());
  QTest::mouseMove(list_.viewport(), rowRect(2).center());  // a drag is one Click, where it ends
  QTest::mouseRelease(list_.viewport(), Qt::LeftButton, {}, rowRect(2).center());
  EXPECT_TRUE(list_.ListIndex() == 2 && clicks.count() == 1);
  // Enter is a double click on the current item, a click first (on the first item while
  // none is current); with Ctrl it is none.
  const std::tuple<Qt::Key, int, int, int, Qt::KeyboardModifiers> keys[] = {
      {Qt::Key_Down, 3, 2, 0, {}}, {Qt::Key_Up, 2, 3, 0, {}}, {Qt::Key_Return, 2, 4, 1, {}}, {Qt::Key_Home, 0, 5, 1, {}},
      {Qt::Key_Up, 0, 5, 1, {}}, {Qt::Key_End, 59, 6, 1, {}}, {Qt::Key_Down, 59, 6, 1, {}}, {Qt::Key_Up, 58, 7, 1, {}},
      {Qt::Key_PageDown, 59, 8, 1, {}}, {Qt::Key_Left, 59, 8, 1, {}}, {Qt::Key_Return, 59, 8, 1, Qt::ControlModifier},
      {Qt::Key_Enter, 59, 9, 2, Qt::KeypadModifier}, {Qt::Key_Home, 0, 10, 2, {}},
  };
  for (const auto& [key, row, clicksSoFar, doublesSoFar, modifiers] : keys) {
    QTest::keyClick(&list_, key, modifiers);
    EXPECT_TRUE(list_.ListIndex() == row && clicks.count() == clicksSoFar && doubles.count() == doublesSoFar && inView(row)) << key;
  }
  list_.SetListIndex(-1);
  QTest::keyClick(&list_, Qt::Key_Return);
  EXPECT_TRUE(list_.ListIndex() == 0 && clicks.count() == 11 && doubles.count() == 3);
  // A page down goes to the last row still in view, a page up back to the first.
  QTest::keyClick(&list_, Qt::Key_PageDown);
  const int page = list_.ListIndex();
  EXPECT_TRUE(page > 1 && inView(page) && !inView(page + 1));
  QTest::keyClick(&list_, Qt::Key_PageDown);
  EXPECT_EQ(list_.ListIndex(), 2 * page);
  QTest::keyClick(&list_, Qt::Key_PageUp);
  EXPECT_EQ(list_.ListIndex(), page);
  list_.SetSelectionLocked(true);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, rowRect(page + 1).center());
  QTest::keyClick(&list_, Qt::Key_Down);
  QTest::keyClick(&list_, Qt::Key_Return);
  EXPECT_EQ(list_.ListIndex(), -1);
  list_.SetSelectionLocked(false);
  // A click on the row already selected is a Click too (it puts the line back in the box).
  for (int i = 0; i < 2; ++i) QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, rowRect(page).center());
  QTest::mouseDClick(list_.viewport(), Qt::LeftButton, {}, rowRect(page).center());
  EXPECT_TRUE(doubles.count() == 4 && clicks.count() == 16);
}

// Rows lie one below the other, as wide as the view or the widest item; the scroll bars
// reach every row and no further, per item or per pixel.
TEST_F(ListBoxTest, layout_everyRowCanBeScrolledToAndFoundAgain) {
  fill(100);
  list_.AddItem(QString(300, u'w'));
  EXPECT_TRUE(list_.indexAt(QPoint(0, 0)).row() == 0 && !list_.indexAt(QPoint(0, -1)).isValid());
  for (const auto mode : {QAbstractItemView::ScrollPerItem, QAbstractItemView::ScrollPerPixel}) {
    list_.setVerticalScrollMode(mode);
    QTest::qWait(0);
    const int height = rowRect(0).height(), visible = list_.viewport()->height() / height;
    const int per = mode == QAbstractItemView::ScrollPerItem ? 1 : height;
    const QScrollBar &down = *list_.verticalScrollBar(), &across = *list_.horizontalScrollBar();
    EXPECT_NEAR(down.maximum(), (101 - list_.viewport()->height() / double(height)) * per, per);
    EXPECT_TRUE(down.singleStep() == per && down.pageStep() == (per == 1 ? visible : list_.viewport()->height()));
    EXPECT_TRUE(across.maximum() > 0 && across.pageStep() == list_.viewport()->width());
    for (const auto& [row, hint] : {std::pair{57, QAbstractItemView::EnsureVisible}, {100, QAbstractItemView::EnsureVisible},
                                    {3, QAbstractItemView::EnsureVisible}, {50, QAbstractItemView::PositionAtTop},
                                    {50, QAbstractItemView::PositionAtBottom}, {50, QAbstractItemView::PositionAtCenter}}) {
      list_.scrollTo(list_.model()->index(row, 0), hint);
      const QRect rect = rowRect(row);
      EXPECT_TRUE(inView(row) && list_.indexAt(rect.center()).row() == row) << row << " " << hint;
      EXPECT_EQ(rect.width(), std::max(rowRect(100).width(), list_.viewport()->width()));
      EXPECT_TRUE(row == 100 || rowRect(row + 1).top() == rect.bottom() + 1);
      EXPECT_TRUE(hint != QAbstractItemView::PositionAtTop || rect.top() == 0);
      EXPECT_TRUE(hint != QAbstractItemView::PositionAtBottom || rect.bottom() + height > list_.viewport()->height());
      EXPECT_TRUE(hint != QAbstractItemView::PositionAtCenter || std::abs(rect.center().y() - list_.viewport()->height() / 2) < height);
    }
    list_.scrollToBottom();
    EXPECT_FALSE(list_.indexAt(rowRect(100).center() + QPoint(0, height)).isValid());
    EXPECT_EQ(rowRect(100 - visible + 1).top() / height, 0);
  }
  list_.RemoveItem(100);  // the wide row goes, and with it the room for it
  QTest::qWait(0);
  EXPECT_EQ(list_.horizontalScrollBar()->maximum(), 0);
  // A larger font makes fewer rows fit.
  const int before = list_.verticalScrollBar()->maximum();
  list_.setFont(QFont(list_.font().family(), list_.font().pointSize() * 3));
  QTest::qWait(0);
  EXPECT_GT(list_.verticalScrollBar()->maximum(), before);
  list_.AddItem(QString(300, u'w'));
  QTest::qWait(0);
  list_.Clear();  // the wide row with the rest
  QTest::qWait(0);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, QPoint(5, 5));  // on no row at all
  EXPECT_TRUE(list_.verticalScrollBar()->maximum() == 0 && list_.horizontalScrollBar()->maximum() == 0 && list_.ListIndex() == -1);
  fill(3);  // narrow rows again: no room kept for the wide one
  EXPECT_EQ(list_.horizontalScrollBar()->maximum(), 0);
  QFont huge = list_.font();  // rows taller than the view: a page is one row
  huge.setPixelSize(list_.viewport()->height() * 2);
  list_.setFont(huge);
  for (const auto& [key, row] : {std::pair{Qt::Key_Home, 0}, {Qt::Key_PageDown, 1}, {Qt::Key_PageDown, 2}, {Qt::Key_PageUp, 1}}) {
    QTest::keyClick(&list_, key);
    EXPECT_EQ(list_.ListIndex(), row) << key;
  }
  // Guards against row offsets that overflow: rows times their height past 2^31 pixels.
  struct Tall : QStyledItemDelegate { QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {50, 1 << 20}; } } tall;
  list_.setItemDelegate(&tall);
  list_.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);  // as the editor scrolls
  fill(3000);
  list_.scrollTo(list_.model()->index(2999, 0), QAbstractItemView::PositionAtTop);
  EXPECT_TRUE(rowRect(2999).top() == 0 && list_.indexAt(QPoint(1, 1)).row() == 2999 && !inView(2998));
  list_.setItemDelegate(nullptr);
}

// Guards against a focused list showing no focus frame once nothing is current (after
// a commit or a reload), which left a keyboard user without a clue where they were.
TEST_F(ListBoxTest, focusedList_framesTheCurrentRowElseTheFirst) {
  list_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&list_));
  const auto rowImage = [this](int row) { return list_.viewport()->grab(rowRect(row)).toImage(); };
  for (const int selected : {2, -1}) {
    SCOPED_TRACE(selected);
    const int framed = std::max(selected, 0);
    list_.clearFocus();
    list_.SetListIndex(selected);
    const QImage before = rowImage(framed), otherBefore = rowImage(1);
    list_.SetFocus();
    list_.SetListIndex(selected);  // taking the focus made row 0 current
    EXPECT_NE(rowImage(framed), before);
    EXPECT_EQ(rowImage(1), otherBefore);
  }
  // The screen follows: the first row is repainted when nothing is current any more.
  struct PaintSpy : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
      return false;
    }
  } spy;
  list_.viewport()->installEventFilter(&spy);
  list_.SetListIndex(2);
  QTest::qWait(0);
  spy.painted = {};
  list_.SetListIndex(-1);
  QTest::qWait(0);
  EXPECT_TRUE(spy.painted.intersects(rowRect(0)));
}

// Guards against laying a line of megabytes out on every repaint.
TEST_F(ListBoxTest, longItems_areShownByTheirStartButKeptWhole) {
  const QString line = QString(ui::ListModel::kShownCharacters, u'x') + QStringLiteral("end");
  list_.AddItem(line, 1);
  EXPECT_TRUE(list_.List(1) == line && list_.ItemView(1).toString() == line);
  EXPECT_TRUE(list_.model()->index(1, 0).data().toString() == line.left(ui::ListModel::kShownCharacters) && list_.model()->index(0, 0).data().toString() == QStringLiteral("a0"));
}

// Guards against a screen reader finding no items, or taking one line's interface for
// another's after a commit: each item's interface moves with it and goes with it.
TEST_F(ListBoxTest, accessibleItems_areTheItemsAndFollowThem) {
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&list_);
  ASSERT_TRUE(list && list->role() == QAccessible::List && list->childCount() == 4 && !list->child(4));
  const auto name = [&](int row) { return list->child(row)->text(QAccessible::Name); };
  const QAccessible::Id b1 = QAccessible::uniqueId(list->child(1)), c2 = QAccessible::uniqueId(list->child(2)), d3 = QAccessible::uniqueId(list->child(3));
  list_.SetListIndex(2);
  EXPECT_TRUE(list->child(2)->role() == QAccessible::ListItem && name(2) == "c2" && list->child(2)->state().selected && !list->child(1)->state().selected);
  list_.AddItem(QStringLiteral("new"), 2);  // a commit on c2
  list_.RemoveItem(3);
  EXPECT_TRUE(name(2) == "new" && !QAccessible::accessibleInterface(c2) && list->indexOfChild(QAccessible::accessibleInterface(d3)) == 3 && name(3) == "d3");
  list_.RemoveItem(0);
  const QPoint centre = list_.viewport()->mapToGlobal(rowRect(0).center());
  EXPECT_TRUE(list->childAt(centre.x(), centre.y()) == QAccessible::accessibleInterface(b1) && list->child(0)->rect().contains(centre));
  // An item's click and double click, for readers that click for the user.
  QSignalSpy clicks(&list_, &ui::ListBox::Click), doubles(&list_, &ui::ListBox::DblClick);
  for (const bool usable : {false, true}) {
    list_.setEnabled(usable);
    QAccessibleActionInterface* actions = list->child(2)->actionInterface();
    EXPECT_EQ(actions->actionNames(), usable ? QStringList({QAccessibleActionInterface::pressAction(), "Double click"}) : QStringList());
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(list_.ListIndex() == (usable ? 2 : -1) && clicks.count() == usable);
    list->child(1)->actionInterface()->doAction("Double click");
  }
  EXPECT_TRUE(list_.ListIndex() == 1 && clicks.count() == 2 && doubles.count() == 1 && list_.focusWidget() == &list_);
  list->child(0)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());  // UI Automation's Select
  EXPECT_TRUE(list_.ListIndex() == 0 && clicks.count() == 3);
  list_.Clear();
  EXPECT_TRUE(list->childCount() == 0 && !QAccessible::accessibleInterface(b1) && !list->child(0));
  list_.AddItem(QStringLiteral("z"));
  EXPECT_EQ(name(0), "z");
}

}  // namespace
