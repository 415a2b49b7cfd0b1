#include "ui/listbox.h"

#include <QKeyEvent>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace ui {

// --- ItemStore -------------------------------------------------------------------------

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::size_t kLengthBytes = sizeof(std::uint32_t);

bool FitsLatin1(QStringView text) {
  char16_t above = 0;
  for (const QChar c : text) above |= c.unicode() & 0xFF00;
  return above == 0;
}

}  // namespace

QAnyStringView ItemStore::view(int row) const {
  const Handle handle = rows_[static_cast<std::size_t>(row)];
  const char* record = blocks_[handle >> 32].bytes.get() + ((handle & 0xFFFFFFFFu) >> 1);
  std::uint32_t length;
  std::memcpy(&length, record, kLengthBytes);
  const char* text = record + kLengthBytes;
  if (handle & 1) return QStringView(reinterpret_cast<const char16_t*>(text), length);
  return QLatin1StringView(text, length);
}

ItemStore::Handle ItemStore::put(QAnyStringView text) {
  return text.visit([this](auto view) {
    using View = decltype(view);
    const auto length = static_cast<std::size_t>(view.size());
    Handle handle;
    if constexpr (std::is_same_v<View, QLatin1StringView>) {
      std::memcpy(reserve(length, false, handle), view.data(), length);
    } else if constexpr (std::is_same_v<View, QStringView>) {
      if (FitsLatin1(view)) {
        char* out = reserve(length, false, handle);
        for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(view.utf16()[i]);
      } else {
        std::memcpy(reserve(length, true, handle), view.utf16(), length * 2);
      }
    } else {
      handle = put(QString(view.toString()));  // UTF-8: never given in bulk
    }
    return handle;
  });
}

// Makes room for a text of `length` characters and writes its length; returns where the
// characters go.
char* ItemStore::reserve(std::size_t length, bool wide, Handle& handle) {
  const std::size_t bytes = kLengthBytes + length * (wide ? 2 : 1);
  if (blocks_.empty() || blocks_.back().capacity - blocks_.back().used < bytes + 1) {
    // A text too large to share a block gets one of its own, so no block is left
    // mostly empty.
    Block block;
    block.capacity = bytes > kBlockBytes / 4 ? bytes + 1 : kBlockBytes;
    block.bytes.reset(new char[block.capacity]);
    blocks_.push_back(std::move(block));
  }
  Block& block = blocks_.back();
  std::size_t offset = block.used;
  if (wide && offset % 2 != 0) ++offset;  // UTF-16 text starts on an even address
  char* record = block.bytes.get() + offset;
  const auto length32 = static_cast<std::uint32_t>(length);
  std::memcpy(record, &length32, kLengthBytes);
  usedBytes_ += offset + bytes - block.used;
  block.used = offset + bytes;
  handle = (Handle{blocks_.size() - 1} << 32) | (Handle{offset} << 1) | (wide ? 1 : 0);
  return record + kLengthBytes;
}

std::size_t ItemStore::recordBytes(Handle handle) const {
  std::uint32_t length;
  std::memcpy(&length, blocks_[handle >> 32].bytes.get() + ((handle & 0xFFFFFFFFu) >> 1),
              kLengthBytes);
  return kLengthBytes + std::size_t{length} * (handle & 1 ? 2 : 1);
}

void ItemStore::insert(int row, QAnyStringView text) {
  const Handle handle = put(text);
  rows_.insert(rows_.begin() + row, handle);
}

void ItemStore::append(std::span<const QAnyStringView> texts) {
  rows_.reserve(rows_.size() + texts.size());
  for (const QAnyStringView text : texts) rows_.push_back(put(text));
}

void ItemStore::remove(int row) {
  garbageBytes_ += recordBytes(rows_[static_cast<std::size_t>(row)]);
  rows_.erase(rows_.begin() + row);
  compactIfWasteful();
}

void ItemStore::clear() {
  std::vector<Handle>().swap(rows_);
  std::vector<Block>().swap(blocks_);
  usedBytes_ = garbageBytes_ = 0;
}

// Removed items leave their text behind; once that is over half of what the blocks
// hold, the live texts are copied into new blocks. Each copy follows at least as many
// bytes of removals, so the cost per removal stays constant on average.
void ItemStore::compactIfWasteful() {
  if (garbageBytes_ < kBlockBytes || garbageBytes_ * 2 < usedBytes_) return;
  ItemStore fresh;
  fresh.rows_.reserve(rows_.size());
  for (int row = 0; row < size(); ++row) fresh.rows_.push_back(fresh.put(view(row)));
  *this = std::move(fresh);
}

// --- ListModel -------------------------------------------------------------------------

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  if (role != Qt::DisplayRole) return {};
  return items_.view(index.row()).visit([](auto view) {
    return view.first(std::min<qsizetype>(view.size(), kShownCharacters)).toString();
  });
}

void ListModel::insert(int row, QAnyStringView item) {
  beginInsertRows({}, row, row);
  items_.insert(row, item);
  endInsertRows();
}

void ListModel::append(std::span<const QAnyStringView> items) {
  if (items.empty()) return;
  const int first = count();
  beginInsertRows({}, first, first + static_cast<int>(items.size()) - 1);
  items_.append(items);
  endInsertRows();
}

void ListModel::remove(int row) {
  beginRemoveRows({}, row, row);
  items_.remove(row);
  endRemoveRows();
}

void ListModel::clear() {
  beginResetModel();
  items_.clear();
  endResetModel();
}

// --- ListBox ---------------------------------------------------------------------------

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
  const std::vector<QAnyStringView> views(items.begin(), items.end());
  AddItems(views);
}

void ListBox::AddItems(std::span<const QAnyStringView> items) {
  syncing_ = true;
  model_->append(items);
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

QAnyStringView ListBox::ItemView(int index) const {
  return index >= 0 && index < ListCount() ? model_->view(index) : QAnyStringView();
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
