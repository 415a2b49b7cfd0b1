#include "fileservices/findfile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "fileservices/codepage.h"
#include "fileservices/hostpath.h"
#include "fileservices/wildcard.h"
#include "fileservices/win32/native.h"

namespace FindFileRecursive {
namespace {

// Where a folder is, whatever the path that leads to it: its volume and file index.
using FolderId = std::pair<DWORD, std::uint64_t>;

FolderId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return {info.dwVolumeSerialNumber,
          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

struct Entry {
  std::wstring host;  // the name as the file system stores it
  std::string text;   // the same name as program text
  bool folder = false;
  bool link = false;  // a junction or a symbolic link
};

// One folder being walked, listed whole and sorted before its entries are visited.
struct Frame {
  std::vector<Entry> entries;
  std::size_t next = 0;
  std::size_t textLength = 0;  // of the walker's folder text for this folder
  std::size_t hostLength = 0;  // of the walker's host path for this folder
  FolderId id;
  int folderMatch = -1;  // the folder pattern's verdict, tested on the first file
};

class Walker {
 public:
  Walker(std::string_view folderPattern, std::string_view namePattern,
         std::vector<std::string>& results)
      : folderPattern_(folderPattern), namePattern_(namePattern), results_(results) {}

  void Run(const std::string& folderText, const std::wstring& hostFolder) {
    text_ = folderText;
    host_ = hostFolder;
    while (host_.back() == L'\\') host_.pop_back();  // "\\?\C:" stands for the root
    if (!Enter()) return;
    while (!frames_.empty()) {
      Frame& frame = frames_.back();
      if (frame.next == frame.entries.size()) {
        frames_.pop_back();
        if (!frames_.empty()) Restore(frames_.back());
        continue;
      }
      Visit(frame.entries[frame.next++]);
    }
  }

 private:
  // Takes the entry by value: entering a folder may move the frames.
  void Visit(Entry entry) {
    const std::size_t level = frames_.size() - 1;
    bool isFolder = entry.folder;
    if (entry.link) {
      // Links count as what they point at; dangling ones are nothing. A link leads only
      // into a folder the search has not been in: that ends link loops, and links that
      // lead to one folder along many ways cannot multiply the work.
      const std::optional<BY_HANDLE_FILE_INFORMATION> target =
          fileservices_win32::FollowedInfo(host_ + L'\\' + entry.host);
      if (!target) return;
      isFolder = (target->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (isFolder && entered_.count(IdOf(*target))) return;
    }

    if (!isFolder) {
      Frame& frame = frames_[level];
      if (frame.folderMatch < 0) frame.folderMatch = folderPattern_.Matches(text_) ? 1 : 0;
      if (frame.folderMatch == 1 && namePattern_.Matches(entry.text))
        results_.push_back(text_ + entry.text);
      return;
    }
    text_.append(entry.text).push_back('\\');
    host_.append(L"\\").append(entry.host);
    if (!Enter()) Restore(frames_[level]);
  }

  // Lists the folder at host_ into a new frame. False when it is not entered.
  bool Enter() {
    const std::optional<BY_HANDLE_FILE_INFORMATION> info =
        fileservices_win32::FollowedInfo(host_.back() == L':' ? host_ + L'\\' : host_);
    if (!info || !(info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    const FolderId id = IdOf(*info);
    if (IsAncestor(id)) return false;
    entered_.insert(id);

    WIN32_FIND_DATAW found;
    const HANDLE search =
        FindFirstFileExW((host_ + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                         nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return false;
    Frame frame;
    frame.textLength = text_.size();
    frame.hostLength = host_.size();
    frame.id = id;
    do {
      const std::wstring_view name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      Entry e;
      // A name the code page cannot hold could never be opened by the name shown.
      if (!fileservices_win32::AppendCodePage(e.text, name)) continue;
      e.host = name;
      const DWORD attributes = found.dwFileAttributes;
      e.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      e.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
               IsReparseTagNameSurrogate(found.dwReserved0);
      frame.entries.push_back(std::move(e));
    } while (FindNextFileW(search, &found));
    FindClose(search);

    std::sort(frame.entries.begin(), frame.entries.end(), [](const Entry& a, const Entry& b) {
      const int order = codepage::CompareForListing(a.text, b.text);
      return order != 0 ? order < 0 : a.host < b.host;
    });
    frames_.push_back(std::move(frame));
    return true;
  }

  void Restore(const Frame& frame) {
    text_.resize(frame.textLength);
    host_.resize(frame.hostLength);
  }

  bool IsAncestor(const FolderId& id) const {
    return std::any_of(frames_.begin(), frames_.end(),
                       [&id](const Frame& f) { return f.id == id; });
  }

  Pattern folderPattern_;
  Pattern namePattern_;
  std::vector<std::string>& results_;
  std::vector<Frame> frames_;
  std::set<FolderId> entered_;  // every folder entered so far
  std::string text_;            // program text of the folder being listed, ending in a backslash
  std::wstring host_;           // host path of that folder, without trailing backslash
};

}  // namespace

void FindFiles(std::string& folder, std::string_view folderPattern, std::string_view namePattern,
               std::vector<std::string>& results) {
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  const std::optional<std::wstring> host = hostpath::ToHostPath(folder);
  if (!host) return;
  Walker(folderPattern, namePattern, results).Run(folder, *host);
}

}  // namespace FindFileRecursive
