#include "fileservices/findfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <utility>

#include "fileservices/codepage.h"
#include "fileservices/hostpath.h"
#include "fileservices/wildcard.h"

namespace FindFileRecursive {
namespace {

struct Entry {
  std::uint32_t hostOffset, hostLength;  // the name as the host stores it
  std::uint32_t textOffset, textLength;  // the same name as program text
  unsigned char type;                    // DT_DIR, DT_REG, DT_LNK or DT_UNKNOWN
};

// One folder being walked. Frames are kept when popped so that their buffers are
// reused by the next folder at the same depth.
struct Frame {
  int fd = -1;  // kept open while the folder's entries are visited
  std::string names;
  std::vector<Entry> entries;
  std::size_t next = 0;
  std::size_t textLength = 0;  // of the walker's folder text for this folder
  std::size_t hostLength = 0;  // of the walker's host path for this folder
  dev_t device = 0;
  ino_t inode = 0;
  int folderMatch = -1;  // the folder pattern's verdict, tested on the first file

  std::string_view HostName(const Entry& e) const {
    return {names.data() + e.hostOffset, e.hostLength};
  }
  std::string_view TextName(const Entry& e) const {
    return {names.data() + e.textOffset, e.textLength};
  }
};

// Folders deeper than this give their descriptor back once listed; what lies below them
// is opened by full path, so a deep tree cannot run the process out of descriptors.
constexpr std::size_t kHeldDescriptors = 64;

class Walker {
 public:
  Walker(std::string_view folderPattern, std::string_view namePattern,
         std::vector<std::string>& results)
      : folderPattern_(folderPattern), namePattern_(namePattern), results_(results) {}
  ~Walker() {
    while (depth_ > 0) Leave();
  }
  Walker(const Walker&) = delete;
  Walker& operator=(const Walker&) = delete;

  void Run(const std::string& folderText, const std::string& hostFolder) {
    text_ = folderText;
    const int fd = open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The folder's host path ends in its one slash ("/" for the root): entries add theirs.
    host_ = hostFolder;
    if (host_.ends_with('/')) host_.pop_back();
    if (fd < 0 || !Enter(fd)) return;

    while (depth_ > 0) {
      Frame& frame = frames_[depth_ - 1];
      if (frame.next == frame.entries.size()) {
        Leave();
        continue;
      }
      Visit(depth_ - 1, frame.entries[frame.next++]);
    }
  }

 private:
  // Takes the entry by value: entering a folder may move the frames.
  void Visit(std::size_t level, Entry entry) {
    Frame& frame = frames_[level];
    const std::string_view name = frame.HostName(entry);
    bool isFolder = entry.type == DT_DIR;
    bool isFile = entry.type == DT_REG;
    struct stat target;
    bool haveTarget = false;
    if (entry.type == DT_LNK || entry.type == DT_UNKNOWN) {
      // Links count as what they point at; dangling ones are nothing.
      if (!StatAt(frame, name, target)) return;
      haveTarget = true;
      isFolder = S_ISDIR(target.st_mode);
      isFile = S_ISREG(target.st_mode);
    }

    if (isFile) {
      if (frame.folderMatch < 0) frame.folderMatch = folderPattern_.Matches(text_) ? 1 : 0;
      const std::string_view text = frame.TextName(entry);
      if (frame.folderMatch == 1 && namePattern_.Matches(text)) {
        std::string path;
        path.reserve(text_.size() + text.size());
        path.append(text_).append(text);
        results_.push_back(std::move(path));
      }
      return;
    }
    if (!isFolder) return;
    // A link (or an entry whose type the listing does not give) leads only into a folder
    // the search has not been in: that ends link loops, and links that lead to one
    // folder along many ways cannot multiply the work (two links per level, thirty
    // levels deep, would be a billion folders).
    if (haveTarget && entered_.count({target.st_dev, target.st_ino})) return;

    const int fd = OpenAt(frame, name);
    if (fd < 0) return;
    text_.append(frame.TextName(entry)).push_back('\\');
    host_.append("/").append(name);
    if (!Enter(fd)) Restore(frames_[level]);
  }

  // Lists the folder open on `fd` into a new frame. False when it is not entered.
  bool Enter(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || IsAncestor(st.st_dev, st.st_ino)) {
      close(fd);
      return false;
    }
    entered_.insert({st.st_dev, st.st_ino});
    if (frames_.size() == depth_) frames_.emplace_back();
    Frame& frame = frames_[depth_];
    frame.names.clear();
    frame.entries.clear();
    frame.next = 0;
    frame.textLength = text_.size();
    frame.hostLength = host_.size();
    frame.device = st.st_dev;
    frame.inode = st.st_ino;
    frame.folderMatch = -1;

    bool needsDescriptor = false;
    // The listing is read in blocks straight from the descriptor (getdents64, Linux's
    // own call): the C library's directory stream costs three system calls more a folder.
    for (ssize_t n; (n = getdents64(fd, block_, sizeof block_)) > 0;) {
      for (ssize_t at = 0; at < n;) {
        const auto* d = reinterpret_cast<const dirent64*>(block_ + at);
        at += d->d_reclen;
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        // A backslash separates folders in program paths, so such a name could only be
        // reached as another path ("..\\x" as a file beside the folder searched).
        if (std::strchr(name, '\\')) continue;
        const unsigned char type = d->d_type;
        if (type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN) continue;
        Entry e;
        e.type = type;
        e.hostOffset = static_cast<std::uint32_t>(frame.names.size());
        frame.names.append(name);
        e.hostLength = static_cast<std::uint32_t>(frame.names.size() - e.hostOffset);
        const std::string_view host = frame.HostName(e);
        if (std::all_of(host.begin(), host.end(), [](char c) { return c >= 0; })) {
          e.textOffset = e.hostOffset;
          e.textLength = e.hostLength;
        } else {
          e.textOffset = static_cast<std::uint32_t>(frame.names.size());
          // A name the code page cannot hold shows with a '?', which names no file.
          if (!codepage::AppendFromUtf8(frame.names, std::string(host))) {
            frame.names.resize(e.hostOffset);
            continue;
          }
          e.textLength = static_cast<std::uint32_t>(frame.names.size() - e.textOffset);
        }
        needsDescriptor |= type != DT_REG;
        frame.entries.push_back(e);
      }
    }

    std::sort(frame.entries.begin(), frame.entries.end(), [&frame](const Entry& a, const Entry& b) {
      const int order = codepage::CompareForListing(frame.TextName(a), frame.TextName(b));
      return order != 0 ? order < 0 : frame.HostName(a) < frame.HostName(b);
    });

    if (needsDescriptor && depth_ < kHeldDescriptors) {
      frame.fd = fd;
    } else {
      close(fd);
      frame.fd = -1;
    }
    ++depth_;
    return true;
  }

  void Leave() {
    Frame& frame = frames_[--depth_];
    if (frame.fd >= 0) close(frame.fd);
    frame.fd = -1;
    if (depth_ > 0) Restore(frames_[depth_ - 1]);
  }

  void Restore(const Frame& frame) {
    text_.resize(frame.textLength);
    host_.resize(frame.hostLength);
  }

  bool IsAncestor(dev_t device, ino_t inode) const {
    for (std::size_t i = 0; i < depth_; ++i)
      if (frames_[i].device == device && frames_[i].inode == inode) return true;
    return false;
  }

  bool StatAt(const Frame& frame, std::string_view name, struct stat& st) {
    if (frame.fd >= 0) return fstatat(frame.fd, std::string(name).c_str(), &st, 0) == 0;
    return stat(FullPath(name).c_str(), &st) == 0;
  }

  int OpenAt(const Frame& frame, std::string_view name) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (frame.fd >= 0) return openat(frame.fd, std::string(name).c_str(), flags);
    return open(FullPath(name).c_str(), flags);
  }

  std::string FullPath(std::string_view name) const {
    std::string path = host_;
    path.append("/").append(name);
    return path;
  }

  Pattern folderPattern_;
  Pattern namePattern_;
  std::vector<std::string>& results_;
  std::vector<Frame> frames_;
  std::set<std::pair<dev_t, ino_t>> entered_;  // every folder entered so far
  std::size_t depth_ = 0;
  std::string text_;  // program text of the folder being listed, ending in a backslash
  std::string host_;  // host path of that folder, without trailing slash ("" for "/")
  alignas(8) char block_[32 * 1024];  // one block of a listing
};

}  // namespace

void FindFiles(std::string& folder, std::string_view folderPattern, std::string_view namePattern,
               std::vector<std::string>& results) {
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  const std::optional<std::string> host = hostpath::ToHostPath(folder);
  if (!host) return;
  Walker(folderPattern, namePattern, results).Run(folder, *host);
}

}  // namespace FindFileRecursive
