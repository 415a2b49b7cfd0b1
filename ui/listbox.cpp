#include "ui/listbox.h"

#include <QKeyEvent>

#include <iterator>

namespace ui {

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  if (role == Qt::DisplayRole) return at(index.row()).left(kShownCharacters);
  return {};
}

void ListModel::insert(int row, const QString& item) {
  beginInsertRows({}, row, row);
  items_.insert(items_.begin() + row, item);
  endInsertRows();
}

void ListModel::append(std::vector<QString>&& items) {
  if (items.empty()) return;
  const int first = count();
  beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
  items_.insert(items_.end(), std::make_move_iterator(items.begin()),
                std::make_move_iterator(items.end()));
  endInsertRows();
}

void ListModel::remove(int row) {
  beginRemoveRows({}, row, row);
  items_.erase(items_.begin() + row);
  endRemoveRows();
}

void ListModel::clear() {
  beginResetModel();
  std::vector<QString>().swap(items_);
  endResetModel();
}

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListModel(this)) {
  setModel(model_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  // The view moves its current item before it selects it: follow both.
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { takeSelectionFromView(); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { takeSelectionFromView(); });
  connect(this, &QAbstractItemView::clicked, this, [this] {
    takeSelectionFromView();
    emit Click();
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this] { emit DblClick(); });
}

void ListBox::takeSelectionFromView() {
  if (syncing_) return;
  const QModelIndex current = currentIndex();
  listIndex_ = current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

// Puts the view's current item and selection where listIndex_ says.
void ListBox::showSelection() {
  syncing_ = true;
  if (listIndex_ >= 0) {
    const QModelIndex index = model_->index(listIndex_);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  } else {
    selectionModel()->clear();
  }
  syncing_ = false;
}

void ListBox::AddItem(const QString& item, int index) {
  const int row = index < 0 || index > ListCount() ? ListCount() : index;
  syncing_ = true;
  model_->insert(row, item);
  syncing_ = false;
  if (listIndex_ >= row) {
    ++listIndex_;
    showSelection();
  }
}

void ListBox::AddItems(std::vector<QString>&& items) {
  syncing_ = true;
  model_->append(std::move(items));
  syncing_ = false;
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) return;
  syncing_ = true;
  model_->remove(index);
  syncing_ = false;
  if (index == listIndex_) listIndex_ = -1;
  else if (index < listIndex_) --listIndex_;
  showSelection();
}

void ListBox::Clear() {
  syncing_ = true;
  model_->clear();
  syncing_ = false;
  listIndex_ = -1;
  showSelection();
}

QString ListBox::List(int index) const {
  return index >= 0 && index < ListCount() ? model_->at(index) : QString();
}

void ListBox::SetListIndex(int index) {
  listIndex_ = index >= 0 && index < ListCount() ? index : -1;
  showSelection();
}

QString ListBox::Text() const { return List(listIndex_); }

// Selecting with the keyboard is a click as well.
void ListBox::keyPressEvent(QKeyEvent* event) {
  const int before = listIndex_;
  QListView::keyPressEvent(event);
  takeSelectionFromView();
  if (listIndex_ != before && listIndex_ >= 0) emit Click();
}

}  // namespace ui
