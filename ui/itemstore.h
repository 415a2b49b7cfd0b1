#pragma once

#include <QAnyStringView>

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

}  // namespace ui
