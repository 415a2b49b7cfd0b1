#include "ui/itemstore.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <cstring>
#include <type_traits>

namespace ui {

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
  fresh.rows_.resize(rows_.size());
  for (int row = 0; row < size(); ++row) fresh.rows_[static_cast<std::size_t>(row)] = fresh.put(view(row));
  *this = std::move(fresh);
}

}  // namespace ui
