#pragma once

// A single-selection, unsorted list box with the classic control model.
//
// Selection rules the editor relies on (a commit inserts the new line before the
// selected one and then removes the selected one):
//   - inserting an item at or before the selected item moves the selection with it;
//   - removing the selected item leaves nothing selected (Qt's views would select a
//     neighbour instead, so the box keeps its own selection index).
// Click runs whenever the user selects an item, with the mouse or the keyboard.

#include <QAbstractListModel>
#include <QListView>
#include <QString>

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

  const QString& at(int row) const { return items_[static_cast<size_t>(row)]; }
  int count() const { return static_cast<int>(items_.size()); }
  void insert(int row, const QString& item);
  void append(std::vector<QString>&& items);
  void remove(int row);
  void clear();

 private:
  std::vector<QString> items_;
};

class ListBox final : public QListView {
  Q_OBJECT
 public:
  explicit ListBox(QWidget* parent);

  // Appends `item`, or inserts it at `index` (0 to ListCount()).
  void AddItem(const QString& item, int index = -1);
  // Appends many items with one update of the view.
  void AddItems(std::vector<QString>&& items);
  void RemoveItem(int index);
  void Clear();

  int ListCount() const { return model_->count(); }
  QString List(int index) const;
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

 signals:
  void Click();
  void DblClick();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void showSelection();
  void takeSelectionFromView();

  ListModel* model_ = nullptr;
  int listIndex_ = -1;
  bool syncing_ = false;
};

}  // namespace ui
