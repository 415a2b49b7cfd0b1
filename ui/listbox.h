#pragma once

// A single-selection, unsorted list box with the classic control model.
//
// Selection rules the editor relies on (a commit inserts the new line before the
// selected one and then removes the selected one):
//   - inserting an item at or before the selected item moves the selection with it;
//   - removing the selected item leaves nothing selected (Qt's views would select a
//     neighbour instead, so the box keeps its own selection index).
// Click runs whenever the user selects an item, with the mouse or the keyboard. Enter
// on the current item (the first while none is current, where the focus frame stands)
// is its double click: a Click, then a DblClick.

#include "ui/itemstore.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QAnyStringView>
#include <QString>

#include <span>
#include <vector>

namespace ui {

class ListModel final : public QAbstractListModel {
  Q_OBJECT
 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // An item is shown by at most this many of its characters: laying out a line of
  // megabytes on every repaint would freeze the window. The item itself stays whole.
  static constexpr int kShownCharacters = 2000;

  QString at(int row) const { return items_.view(row).toString(); }
  QAnyStringView view(int row) const { return items_.view(row); }
  int count() const { return items_.size(); }
  void insert(int row, QAnyStringView item);
  void append(std::span<const QAnyStringView> items);
  void remove(int row);
  void clear();

 private:
  ItemStore items_;
};

// The view lays its items out the way QListView does with uniform item sizes (one
// column, every row as high as the last item, scrolled an item at a time), but by
// arithmetic: QListView records a position per row and recomputes all of them after
// every insertion or removal, which in a list of a million lines takes tens of
// milliseconds per commit and per round of a load.
class ListBox final : public QAbstractItemView {
  Q_OBJECT
 public:
  explicit ListBox(QWidget* parent);

  // Appends `item`, or inserts it at `index` (0 to ListCount()).
  void AddItem(const QString& item, int index = -1);
  // Appends many items with one update of the view.
  void AddItems(std::vector<QString>&& items);
  void AddItems(std::span<const QAnyStringView> items);
  void RemoveItem(int index);
  void Clear();

  int ListCount() const { return model_->count(); }
  QString List(int index) const;
  // The text of item `index` without a copy, valid until the list next changes: for
  // loops over every item of a long list, which List() would copy one by one.
  QAnyStringView ItemView(int index) const;
  // Index of the selected item, -1 when none is selected.
  int ListIndex() const { return listIndex_; }
  void SetListIndex(int index);
  // Text of the selected item; empty when none is selected.
  QString Text() const;

  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool enabled) { setEnabled(enabled); }
  QString ToolTipText() const { return toolTip(); }
  void SetToolTipText(const QString& tip) { setToolTip(tip); }
  void SetFocus() { setFocus(Qt::OtherFocusReason); }
  // While locked the list scrolls but takes no selection from the mouse or the keys.
  void SetSelectionLocked(bool locked) { setSelectionMode(locked ? NoSelection : SingleSelection); }
  bool SelectionLocked() const { return selectionMode() == NoSelection; }

  // What a click on item `row` does: the list takes the focus, the item is selected and
  // Click runs; a double click then runs DblClick. Nothing while the list is disabled
  // or locked. False when nothing was done.
  bool ClickItem(int row);
  void DoubleClickItem(int row);

  // QAbstractItemView
  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex indexAt(const QPoint& point) const override;

 signals:
  void Click();
  void DblClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  int horizontalOffset() const override;
  int verticalOffset() const override;
  bool isIndexHidden(const QModelIndex& index) const override;
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  QRegion visualRegionForSelection(const QItemSelection& selection) const override;
  void initViewItemOption(QStyleOptionViewItem* option) const override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void paintEvent(QPaintEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void reset() override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = {}) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void showSelection();
  void takeSelectionFromView();

  // Size of every item: the last item's size hint, as QListView takes it.
  QSize itemSize() const;
  void forgetItemSize();
  int rowHeight() const { return itemSize().height(); }
  // The row at `y` in the viewport, -1 above the first and past the last.
  int rowAt(int y) const;
  // The rectangle of `row` in the viewport.
  QRect rowRect(int row) const;
  // Pixels of content above the viewport: rows times their height passes the range of
  // int long before the count of rows does.
  qint64 contentOffset() const;
  static constexpr qint64 kFarOut = 1 << 30;
  bool scrollsPerItem() const { return verticalScrollMode() == ScrollPerItem; }

  ListModel* model_ = nullptr;
  int listIndex_ = -1;
  int indexAtPress_ = -1;  // listIndex_ when the mouse button went down
  bool syncing_ = false;
  mutable QSize itemSize_;  // invalid until measured
  int hoverRow_ = -1;
};

}  // namespace ui
