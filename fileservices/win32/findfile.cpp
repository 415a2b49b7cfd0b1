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
  DWORD attributes = 0;
  DWORD reparseTag = 0;
  std::uint64_t fileId = 0;  // as the listing gives it
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

// Each folder is opened once: the listing comes through that handle in large blocks, and
// it gives each entry's file index, so a plain folder's identity costs nothing more (under
// Wine, asking a handle for its volume is a round trip to another process). Only reparse
// points (links, junctions, mount points) are opened beside their listing, to see where
// they lead; nothing else can lead to another volume.
class Walker {
 public:
  Walker(std::string_view folderPattern, std::string_view namePattern,
         std::vector<std::string>& results)
      : folderPattern_(folderPattern), namePattern_(namePattern), results_(results) {}

  void Run(const std::string& folderText, const std::wstring& hostFolder) {
    text_ = folderText;
    host_ = hostFolder;
    while (host_.back() == L'\\') host_.pop_back();  // "\\?\C:" stands for the root
    const std::optional<BY_HANDLE_FILE_INFORMATION> info =
        fileservices_win32::FollowedInfo(FolderPath());
    if (!info || !(info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (!Enter(IdOf(*info))) return;
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
    bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    FolderId id{frames_[level].id.first, entry.fileId};
    // A file system that gives no file index in its listings is asked folder by folder.
    const bool unknownId = entry.fileId == 0 || entry.fileId == ~std::uint64_t{0};
    if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || (isFolder && unknownId)) {
      // Links count as what they point at; dangling ones are nothing.
      const std::optional<BY_HANDLE_FILE_INFORMATION> target =
          fileservices_win32::FollowedInfo(host_ + L'\\' + entry.host);
      if (!target) return;
      isFolder = (target->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      id = IdOf(*target);
      // A link leads only into a folder the search has not been in: that ends link loops,
      // and links that lead to one folder along many ways cannot multiply the work. Wine
      // shows a host's symbolic link to a folder as a reparse point without a tag.
      const bool link = (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                        (entry.reparseTag == 0 || IsReparseTagNameSurrogate(entry.reparseTag));
      if (link && isFolder && entered_.count(id)) return;
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
    if (!Enter(id)) Restore(frames_[level]);
  }

  // Lists the folder at host_, whose identity is `id`, into a new frame. False when it is
  // not entered.
  bool Enter(const FolderId& id) {
    if (IsAncestor(id)) return false;
    const HANDLE folder =
        CreateFileW(FolderPath().c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    entered_.insert(id);
    Frame frame;
    frame.textLength = text_.size();
    frame.hostLength = host_.size();
    frame.id = id;
    while (GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, buffer_, sizeof buffer_)) {
      for (const char* at = buffer_;;) {
        const auto* found = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
        Add(frame, *found);
        if (found->NextEntryOffset == 0) break;
        at += found->NextEntryOffset;
      }
    }
    CloseHandle(folder);

    std::sort(frame.entries.begin(), frame.entries.end(), [](const Entry& a, const Entry& b) {
      const int order = codepage::CompareForListing(a.text, b.text);
      return order != 0 ? order < 0 : a.host < b.host;
    });
    frames_.push_back(std::move(frame));
    return true;
  }

  static void Add(Frame& frame, const FILE_ID_BOTH_DIR_INFO& found) {
    const std::wstring_view name(found.FileName, found.FileNameLength / sizeof(wchar_t));
    if (name == L"." || name == L"..") return;
    Entry e;
    // A name the code page cannot hold could never be opened by the name shown.
    if (!fileservices_win32::AppendCodePage(e.text, name)) return;
    e.host = name;
    e.attributes = found.FileAttributes;
    // A reparse point's listing gives its tag where other entries give the size of
    // their extended attributes.
    if (found.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) e.reparseTag = found.EaSize;
    e.fileId = static_cast<std::uint64_t>(found.FileId.QuadPart);
    frame.entries.push_back(std::move(e));
  }

  // The folder at host_ as a path that opens it ("\\?\C:" alone would be the volume).
  std::wstring FolderPath() const { return host_.back() == L':' ? host_ + L'\\' : host_; }

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
  alignas(8) char buffer_[64 * 1024];  // one block of a listing
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
