#include "ui/listboxaccessible.h"

#include "ui/listbox.h"

#include <QPointer>
#include <QWindow>

namespace ui {

namespace {

// An item's click and double click, as a screen reader offers them ("Press" is also
// what UI Automation's Invoke runs).
const QString kDoubleClick = QStringLiteral("Double click");

class ItemAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  ItemAccessible(ListBox* list, int row) : list_(list), row_(row) {}
  int row() const { return row_; }
  void moveTo(int row) { row_ = row; }
  const ListBox* list() const { return list_; }

  bool isValid() const override { return list_ && row_ >= 0 && row_ < list_->ListCount(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return list_ ? list_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(list_); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  // The text as the list shows it (a line of megabytes only by its beginning).
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && isValid() ? index().data().toString() : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect local = list_->visualRect(index());
    return {list_->viewport()->mapToGlobal(local.topLeft()), local.size()};
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) return state;
    state.selectable = true;
    state.focusable = true;
    state.selected = list_->selectionModel()->isSelected(index());
    state.focused = list_->hasFocus() && list_->currentIndex().row() == row_;
    state.disabled = !list_->isEnabled();
    state.invisible = !list_->viewport()->rect().intersects(list_->visualRect(index()));
    state.offscreen = state.invisible;
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }
  QStringList actionNames() const override {
    if (!isValid() || !list_->isEnabled() || list_->SelectionLocked()) return {};
    return {pressAction(), kDoubleClick};
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  void doAction(const QString& action) override {
    if (!isValid()) return;
    // UI Automation's Select asks for a toggle: for an item of this list, a click.
    if (action == pressAction() || action == toggleAction()) list_->ClickItem(row_);
    else if (action == kDoubleClick) list_->DoubleClickItem(row_);
  }

 private:
  QModelIndex index() const { return list_->model()->index(row_, 0); }

  QPointer<ListBox> list_;
  int row_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* list = qobject_cast<ListBox*>(object)) return new ListBoxAccessible(list);
  return nullptr;
}

// One insertion or removal is told item by item; a batch (a file being loaded) by its
// first item alone: telling of a million items one by one would take seconds.
int LastTold(int first, int last) { return last - first < 1 ? last : first; }

}  // namespace

void InstallListBoxAccessibility() {
  static const bool installed = (QAccessible::installFactory(Factory), true);
  (void)installed;
}

ListBoxAccessible::ListBoxAccessible(ListBox* list) : QAccessibleWidget(list, QAccessible::List) {
  const QAbstractItemModel* model = list->model();
  connections_ = {
      QObject::connect(model, &QAbstractItemModel::rowsInserted, list,
                       [this](const QModelIndex&, int first, int last) { rowsInserted(first, last); }),
      QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, list,
                       [this](const QModelIndex&, int first, int last) { rowsAboutToBeRemoved(first, last); }),
      QObject::connect(model, &QAbstractItemModel::rowsRemoved, list,
                       [this](const QModelIndex&, int first, int last) { rowsRemoved(first, last); }),
      QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, list, [this] { aboutToClear(); }),
      QObject::connect(model, &QAbstractItemModel::modelReset, list, [this] { cleared(); }),
      QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, list,
                       [this](const QItemSelection& selected, const QItemSelection& deselected) {
                         for (const QModelIndex& index : deselected.indexes()) tell(index.row(), QAccessible::SelectionRemove);
                         for (const QModelIndex& index : selected.indexes()) tell(index.row(), QAccessible::SelectionAdd);
                       }),
      QObject::connect(list->selectionModel(), &QItemSelectionModel::currentChanged, list,
                       [this](const QModelIndex& current) {
                         if (current.isValid() && this->list()->hasFocus()) tell(current.row(), QAccessible::Focus);
                       }),
  };
}

ListBoxAccessible::~ListBoxAccessible() {
  for (const QMetaObject::Connection& connection : connections_) QObject::disconnect(connection);
  for (const auto& [row, id] : items_) QAccessible::deleteAccessibleInterface(id);
}

ListBox* ListBoxAccessible::list() const { return static_cast<ListBox*>(widget()); }

int ListBoxAccessible::childCount() const { return list()->ListCount(); }

QAccessibleInterface* ListBoxAccessible::child(int index) const {
  if (index < 0 || index >= childCount()) return nullptr;
  const auto found = items_.find(index);
  if (found != items_.end()) return QAccessible::accessibleInterface(found->second);
  auto* item = new ItemAccessible(list(), index);
  items_.emplace(index, QAccessible::registerAccessibleInterface(item));
  return item;
}

int ListBoxAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* item = dynamic_cast<const ItemAccessible*>(child);
  return item && item->list() == list() && item->isValid() ? item->row() : -1;
}

QAccessibleInterface* ListBoxAccessible::childAt(int x, int y) const {
  const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
  return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* ListBoxAccessible::focusChild() const {
  const QModelIndex current = list()->currentIndex();
  return list()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

void ListBoxAccessible::tell(int row, QAccessible::Event event) const {
  if (!QAccessible::isActive()) return;
  if (QAccessibleInterface* item = child(row)) {
    QAccessibleEvent told(item, event);
    QAccessible::updateAccessibility(&told);
  }
}

void ListBoxAccessible::rowsInserted(int first, int last) {
  const int added = last - first + 1;
  std::map<int, QAccessible::Id> moved;
  for (const auto& [row, id] : items_) {
    const int to = row >= first ? row + added : row;
    static_cast<ItemAccessible*>(QAccessible::accessibleInterface(id))->moveTo(to);
    moved.emplace(to, id);
  }
  items_.swap(moved);
  for (int row = first; row <= LastTold(first, last); ++row) tell(row, QAccessible::ObjectCreated);
}

// Told while the items are still there to be named.
void ListBoxAccessible::rowsAboutToBeRemoved(int first, int last) {
  for (int row = first; row <= LastTold(first, last); ++row) tell(row, QAccessible::ObjectDestroyed);
}

void ListBoxAccessible::rowsRemoved(int first, int last) {
  const int removed = last - first + 1;
  std::map<int, QAccessible::Id> kept;
  for (const auto& [row, id] : items_) {
    if (row >= first && row <= last) {
      QAccessible::deleteAccessibleInterface(id);
      continue;
    }
    const int to = row > last ? row - removed : row;
    static_cast<ItemAccessible*>(QAccessible::accessibleInterface(id))->moveTo(to);
    kept.emplace(to, id);
  }
  items_.swap(kept);
}

// Only the items a reader has asked for have interfaces to tell of; without a reader
// there are none, and the events go nowhere.
void ListBoxAccessible::aboutToClear() {
  for (const auto& [row, id] : items_) {
    QAccessibleEvent told(QAccessible::accessibleInterface(id), QAccessible::ObjectDestroyed);
    QAccessible::updateAccessibility(&told);
  }
}

void ListBoxAccessible::cleared() {
  for (const auto& [row, id] : items_) QAccessible::deleteAccessibleInterface(id);
  items_.clear();
}

}  // namespace ui
