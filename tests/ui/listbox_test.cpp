#include "ui/controls.h"
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
    for (const char* item : {"a", "b", "c", "d"}) list_.AddItem(QString::fromLatin1(item));
    list_.show();
  }
  QStringList items() const {
    QStringList all;
    for (int i = 0; i < list_.ListCount(); ++i) all << list_.List(i);
    return all;
  }
  QPoint centreOf(int row) { return list_.visualRect(list_.model()->index(row, 0)).center(); }

  ui::ListBox list_{nullptr};
};

}  // namespace

TEST_F(ListBoxTest, insertAtOrBeforeSelection_movesTheSelectionWithTheItem) {
  const struct {
    int insertAt;
    int indexAfter;
  } rows[] = {{0, 3}, {2, 3}, {3, 2}, {-1, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.insertAt);
    list_.Clear();
    for (const char* item : {"a", "b", "c", "d"}) list_.AddItem(QString::fromLatin1(item));
    list_.SetListIndex(2);
    list_.AddItem(QStringLiteral("new"), row.insertAt);
    EXPECT_EQ(list_.ListIndex(), row.indexAfter);
    EXPECT_EQ(list_.Text(), QStringLiteral("c"));
    EXPECT_EQ(list_.currentIndex().row(), row.indexAfter);
  }
}

// Qt's views select a neighbour when the selected row goes; the box must not.
TEST_F(ListBoxTest, removingTheSelectedItem_leavesNothingSelected) {
  list_.SetListIndex(1);
  list_.RemoveItem(1);
  EXPECT_EQ(list_.ListIndex(), -1);
  EXPECT_TRUE(list_.Text().isEmpty());
  EXPECT_FALSE(list_.selectionModel()->hasSelection());
  EXPECT_EQ(items(), (QStringList{"a", "c", "d"}));
}

TEST_F(ListBoxTest, removingAnItemBeforeTheSelection_keepsTheSameItemSelected) {
  list_.SetListIndex(2);
  list_.RemoveItem(0);
  EXPECT_EQ(list_.ListIndex(), 1);
  EXPECT_EQ(list_.Text(), QStringLiteral("c"));
}

TEST_F(ListBoxTest, commitSequence_replacesInPlaceWithNoSelection) {
  list_.SetListIndex(1);
  list_.AddItem(QStringLiteral("B"), list_.ListIndex());
  list_.RemoveItem(list_.ListIndex());
  EXPECT_EQ(items(), (QStringList{"a", "B", "c", "d"}));
  EXPECT_EQ(list_.ListIndex(), -1);
}

TEST_F(ListBoxTest, mouseAndKeyboardSelection_raiseClick) {
  QSignalSpy clicks(&list_, &ui::ListBox::Click);
  QSignalSpy doubles(&list_, &ui::ListBox::DblClick);
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, centreOf(2));
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(list_.ListIndex(), 2);
  QTest::keyClick(&list_, Qt::Key_Down);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_EQ(list_.Text(), QStringLiteral("d"));
  // A double click is a click followed by a second press that the system reports as
  // the double click.
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, centreOf(0));
  QTest::mouseDClick(list_.viewport(), Qt::LeftButton, {}, centreOf(0));
  EXPECT_EQ(doubles.count(), 1);
  EXPECT_EQ(list_.ListIndex(), 0);
}

TEST_F(ListBoxTest, programmaticChanges_raiseNoClick) {
  QSignalSpy clicks(&list_, &ui::ListBox::Click);
  list_.SetListIndex(1);
  list_.AddItem(QStringLiteral("x"), 0);
  list_.RemoveItem(2);
  list_.Clear();
  EXPECT_EQ(clicks.count(), 0);
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

TEST(ControlsTest, twipsRoundToLogicalPixels) {
  EXPECT_EQ(ui::TwipsToPixels(6630), 442);
  EXPECT_EQ(ui::TwipsToPixels(10), 1);
  EXPECT_EQ(ui::TwipsToPixels(7), 0);
}
