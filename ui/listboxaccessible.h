#pragma once

// What assistive technology sees of a ListBox: a list with one list item per item.
// Qt's own interfaces know its list, table and tree views; a view derived from
// QAbstractItemView directly would show as an empty filler.

#include <QAccessibleWidget>
#include <QMetaObject>

#include <map>
#include <vector>

namespace ui {

class ListBox;

// Installs the factory that gives every ListBox its interface; the first ListBox does.
void InstallListBoxAccessibility();

class ListBoxAccessible final : public QAccessibleWidget {
 public:
  explicit ListBoxAccessible(ListBox* list);
  ~ListBoxAccessible() override;

  // The items are counted, never walked: a list of a million lines costs nothing more.
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

 private:
  ListBox* list() const;
  void rowsInserted(int first, int last);
  void rowsAboutToBeRemoved(int first, int last);
  void rowsRemoved(int first, int last);
  void aboutToClear();
  void cleared();
  void tell(int row, QAccessible::Event event) const;

  // The item interfaces handed out so far, by row; a change of the rows moves them with
  // their items, so a reader never takes one line's interface for another's.
  mutable std::map<int, QAccessible::Id> items_;
  std::vector<QMetaObject::Connection> connections_;
};

}  // namespace ui
