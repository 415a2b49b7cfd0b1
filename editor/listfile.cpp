#include "editor/listfile.h"

#include "editor/text.h"
#include "fileservices/codepage.h"
#include "ui/listbox.h"

#include <QApplication>

namespace editor {

ListFeeder::ListFeeder(ui::ListBox& list, const bool& stop) : list_(list), stop_(stop) {}

// The loader's line is gone after the call: its text is kept in one of two buffers
// until the batch goes into the list.
void ListFeeder::AddItem(std::string_view line) {
  if (codepage::ReadsAsLatin1(line)) {
    pending_.push_back({false, latin1_.size(), line.size()});
    latin1_.append(line);
  } else {
    const std::u16string text = codepage::Decode(line);
    pending_.push_back({true, utf16_.size(), text.size()});
    utf16_.append(text);
  }
}

bool ListFeeder::DoEvents() {
  if (++sinceCheck_ < kLinesPerClockCheck) return !stop_;
  sinceCheck_ = 0;
  // The first lines go into the list at once, the rest every few milliseconds.
  if (clock_.isValid() && clock_.elapsed() < kEventIntervalMs) return !stop_;
  Flush();
  QApplication::processEvents();
  clock_.start();
  return !stop_;
}

void ListFeeder::Flush() {
  if (pending_.empty()) return;
  views_.clear();
  views_.reserve(pending_.size());
  for (const Pending& line : pending_) {
    if (line.utf16)
      views_.emplace_back(
          QStringView(utf16_.data() + line.offset, static_cast<qsizetype>(line.size)));
    else
      views_.emplace_back(
          QLatin1StringView(latin1_.data() + line.offset, static_cast<qsizetype>(line.size)));
  }
  list_.AddItems(views_);
  pending_.clear();
  latin1_.clear();
  utf16_.clear();
}

// The lines go to the writer in batches joined by CR LF, the writer adding the CR LF
// after each batch: the same bytes as one WriteLine per line, without paying a call and
// a string per line of a million-line file.
bool WriteListLines(FileMisc::SafeFileWriter& writer, const ui::ListBox& list) {
  constexpr std::size_t kBatchBytes = 1024 * 1024;
  std::string batch;
  batch.reserve(kBatchBytes + 4096);
  bool batchOpen = false;  // the batch holds a line, which an empty item leaves unseen
  const int count = list.ListCount();
  for (int i = 0; i < count; ++i) {
    if (batchOpen) batch += "\r\n";
    AppendCodePage(batch, list.ItemView(i));
    batchOpen = true;
    if (batch.size() >= kBatchBytes || i + 1 == count) {
      if (!writer.WriteLine(batch)) return false;
      batch.clear();
      batchOpen = false;
    }
  }
  return true;
}

}  // namespace editor
