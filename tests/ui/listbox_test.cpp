#include "ui/listbox.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

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
    for (int i = 0; i < count; ++i) list_.AddItem(QString(QChar(u'a' + i % 26)) + QString::number(i));
  }
  QStringList items() const {
    QStringList all;
    for (int i = 0; i < list_.ListCount(); ++i) all << list_.List(i);
    return all;
  }
  QPoint centreOf(int row) { return list_.visualRect(list_.model()->index(row, 0)).center(); }

  ui::ListBox list_{nullptr};
};

// The commit of an edit inserts the new line before the selected one, then removes the
// selected one: it relies on both rules.
TEST_F(ListBoxTest, insertMovesTheSelectionWithItsItem_removingItLeavesNoSelection) {
  const std::pair<int, int> inserts[] = {{0, 3}, {2, 3}, {3, 2}, {-1, 2}, {9, 2}};
  for (const auto& [at, indexAfter] : inserts) {
    fill(4);
    list_.SetListIndex(2);
    list_.AddItem(QStringLiteral("new"), at);
    EXPECT_EQ(list_.ListIndex(), indexAfter) << at;
    EXPECT_EQ(list_.Text(), QStringLiteral("c2")) << at;
    EXPECT_EQ(list_.currentIndex().row(), indexAfter) << at;
  }
  fill(4);
  list_.SetListIndex(2);
  list_.RemoveItem(0);
  EXPECT_EQ(list_.Text(), QStringLiteral("c2"));
  list_.AddItem(QStringLiteral("C"), list_.ListIndex());
  list_.RemoveItem(list_.ListIndex());
  EXPECT_EQ(items(), (QStringList{"b1", "C", "d3"}));
  EXPECT_EQ(list_.ListIndex(), -1);
  EXPECT_TRUE(list_.Text().isEmpty());
  EXPECT_FALSE(list_.selectionModel()->hasSelection());
  list_.RemoveItem(7);  // out of range: nothing
  EXPECT_EQ(list_.ListCount(), 3);
}

// Selecting with the mouse or a key is a Click; changes made by the program are not.
TEST_F(ListBoxTest, mouseAndKeys_selectAndClick) {
  fill(60);
  QSignalSpy clicks(&list_, &ui::ListBox::Click);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, centreOf(2));
  EXPECT_EQ(list_.ListIndex(), 2);
  const std::tuple<Qt::Key, int, int> keys[] = {
      {Qt::Key_Down, 3, 2}, {Qt::Key_Up, 2, 3}, {Qt::Key_Home, 0, 4}, {Qt::Key_Up, 0, 4},
      {Qt::Key_End, 59, 5}, {Qt::Key_Down, 59, 5}, {Qt::Key_Home, 0, 6},
  };
  for (const auto& [key, row, clicksSoFar] : keys) {
    QTest::keyClick(&list_, key);
    EXPECT_EQ(list_.ListIndex(), row) << key;
    EXPECT_EQ(clicks.count(), clicksSoFar) << key;
  }
  // A page down goes to the last row still in view, a page up back to the first.
  QTest::keyClick(&list_, Qt::Key_PageDown);
  const int page = list_.ListIndex();
  EXPECT_GT(page, 1);
  EXPECT_TRUE(list_.viewport()->rect().contains(list_.visualRect(list_.model()->index(page, 0))));
  QTest::keyClick(&list_, Qt::Key_PageUp);
  EXPECT_EQ(list_.ListIndex(), 0);

  const int before = static_cast<int>(clicks.count());
  list_.SetListIndex(1);
  list_.AddItem(QStringLiteral("x"), 0);
  list_.RemoveItem(2);
  list_.Clear();
  EXPECT_EQ(clicks.count(), before);
}

TEST_F(ListBoxTest, lockedSelection_takesNoneFromTheMouseOrTheKeys) {
  QSignalSpy doubles(&list_, &ui::ListBox::DblClick);
  list_.SetSelectionLocked(true);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, centreOf(1));
  QTest::keyClick(&list_, Qt::Key_Down);
  EXPECT_EQ(list_.ListIndex(), -1);
  list_.SetSelectionLocked(false);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, centreOf(1));
  QTest::mouseDClick(list_.viewport(), Qt::LeftButton, {}, centreOf(1));
  EXPECT_EQ(list_.ListIndex(), 1);
  EXPECT_EQ(doubles.count(), 1);
}

// Guards against a focused list showing no focus frame once nothing is current (after
// a commit or a reload), which left a keyboard user without a clue where they were.
TEST_F(ListBoxTest, focusedList_framesTheCurrentRowElseTheFirst) {
  list_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&list_));
  const auto rowImage = [this](int row) {
    return list_.viewport()->grab(list_.visualRect(list_.model()->index(row, 0))).toImage();
  };
  for (const int selected : {2, -1}) {
    SCOPED_TRACE(selected);
    const int framed = std::max(selected, 0);
    list_.clearFocus();
    list_.SetListIndex(selected);
    const QImage before = rowImage(framed);
    const QImage otherBefore = rowImage(1);
    list_.SetFocus();
    list_.SetListIndex(selected);  // taking the focus made row 0 current
    EXPECT_NE(rowImage(framed), before);
    EXPECT_EQ(rowImage(1), otherBefore);
  }
}

// Guards against laying a line of megabytes out on every repaint.
TEST_F(ListBoxTest, longItems_areShownByTheirStartButKeptWhole) {
  const QString line = QString(ui::ListModel::kShownCharacters, u'x') + QStringLiteral("end");
  list_.AddItem(line, 1);
  EXPECT_EQ(list_.List(1), line);
  EXPECT_EQ(list_.ItemView(1).toString(), line);
  EXPECT_EQ(list_.model()->index(1, 0).data().toString(), line.left(ui::ListModel::kShownCharacters));
  EXPECT_EQ(list_.model()->index(0, 0).data().toString(), QStringLiteral("a0"));
}

}  // namespace
