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
#include <QAnyStringView>
#include <QListView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ui {

// The items' texts, packed into large blocks: a text whose characters all fit in Latin-1
// (nearly every line of a prefs file) takes one byte a character, any other two, plus
// twelve bytes of bookkeeping per item. A QString per item would cost three to four
// times the file's size for a million-line file.
class ItemStore {
 public:
  int size() const { return static_cast<int>(rows_.size()); }
  // The text of `row`, valid until the store next changes.
  QAnyStringView view(int row) const;
  void insert(int row, QAnyStringView text);
  void append(std::span<const QAnyStringView> texts);
  void remove(int row);
  void clear();

 private:
  // Where a text lies: block index << 32 | offset in the block << 1 | 1 when UTF-16.
  // The text follows its length (characters, 4 bytes) at that offset.
  using Handle = std::uint64_t;
  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t used = 0;
    std::size_t capacity = 0;
  };

  Handle put(QAnyStringView text);
  char* reserve(std::size_t length, bool wide, Handle& handle);
  std::size_t recordBytes(Handle handle) const;
  void compactIfWasteful();

  std::vector<Block> blocks_;
  std::vector<Handle> rows_;
  std::size_t usedBytes_ = 0;     // in all blocks
  std::size_t garbageBytes_ = 0;  // of those, held by removed items
};

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

class ListBox final : public QListView {
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
