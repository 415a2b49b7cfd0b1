#pragma once

// Lines between List1 and the files: the loader's lines into the list, and the list's
// items out to a file being written.

#include "fileservices/lineloader.h"
#include "fileservices/safefilewriter.h"

#include <QAnyStringView>
#include <QElapsedTimer>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ui {
class ListBox;
}

namespace editor {

// Feeds the lines the loader reads into List1. The loader hands over every line and
// asks for pending events after each one; the lines go into the list in batches and
// events run every few milliseconds, which keeps the window live without paying a
// round of event processing per line of a million-line file.
class ListFeeder final : public FileMisc::LineSink {
 public:
  ListFeeder(ui::ListBox& list, const bool& stop);

  void AddItem(std::string_view line) override;
  bool DoEvents() override;
  // Puts the lines read so far into the list.
  void Flush();

 private:
  static constexpr int kLinesPerClockCheck = 64;
  static constexpr qint64 kEventIntervalMs = 15;

  struct Pending {
    bool utf16;
    std::size_t offset;  // in latin1_ or utf16_
    std::size_t size;
  };

  ui::ListBox& list_;
  const bool& stop_;
  std::vector<Pending> pending_;
  std::string latin1_;
  std::u16string utf16_;
  std::vector<QAnyStringView> views_;
  QElapsedTimer clock_;
  int sinceCheck_ = 0;
};

// Writes every item of `list`, in order, each followed by CR LF, in the code page.
// False when a write failed.
bool WriteListLines(FileMisc::SafeFileWriter& writer, const ui::ListBox& list);

}  // namespace editor
