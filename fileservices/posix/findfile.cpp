#include "fileservices/findfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <set>
#include <utility>

#include "fileservices/codepage.h"
#include "fileservices/hostpath.h"

namespace FindFileRecursive {
namespace {

// A pattern parsed once, so that a search over many thousand names does not parse it
// again for each of them.
//
// Corner cases of the grammar, as decided for this program:
//   "[" with no "]" after it is an ordinary character.
//   "[]" is an empty list and matches no character; "[!]" matches any one character.
//     A "]" can therefore not stand inside a list; outside one it matches itself.
//   "-" at the start or end of a list is an ordinary member; "z-a" is the same range as
//     "a-z". Inside a list "?", "*", "#" and a "!" that is not first are ordinary.
class Pattern {
 public:
  explicit Pattern(std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size();) {
      const char c = pattern[i];
      Element e;
      if (c == '*') {
        e.kind = Kind::AnyRun;
        while (i < pattern.size() && pattern[i] == '*') ++i;
      } else if (c == '?') {
        e.kind = Kind::AnyOne;
        ++i;
      } else if (c == '#') {
        e.kind = Kind::Set;
        for (int d = '0'; d <= '9'; ++d) e.Add(static_cast<unsigned char>(d));
        ++i;
      } else if (c == '[' && ParseList(pattern, i, e)) {
        // ParseList moved `i` past the list.
      } else {
        e.kind = Kind::Literal;
        e.literal = static_cast<unsigned char>(c);
        ++i;
      }
      elements_.push_back(e);
    }
  }

  // Every element but "*" takes exactly one character, so going back to the last star
  // is enough: the match costs at most text length times pattern length.
  bool Matches(std::string_view text) const {
    const std::size_t n = elements_.size();
    std::size_t t = 0, e = 0;
    std::size_t starElement = n, starText = 0;
    while (t < text.size()) {
      if (e < n && elements_[e].kind == Kind::AnyRun) {
        starElement = e++;
        starText = t;
      } else if (e < n && elements_[e].Takes(static_cast<unsigned char>(text[t]))) {
        ++e;
        ++t;
      } else if (starElement != n) {
        e = starElement + 1;
        t = ++starText;
      } else {
        return false;
      }
    }
    while (e < n && elements_[e].kind == Kind::AnyRun) ++e;
    return e == n;
  }

 private:
  enum class Kind : unsigned char { Literal, AnyOne, AnyRun, Set };
  struct Element {
    Kind kind = Kind::Literal;
    unsigned char literal = 0;
    std::array<std::uint64_t, 4> bits{};

    void Add(unsigned char c) { bits[c >> 6] |= std::uint64_t{1} << (c & 63); }
    bool Takes(unsigned char c) const {
      switch (kind) {
        case Kind::Literal:
          return c == literal;
        case Kind::AnyOne:
          return true;
        case Kind::Set:
          return (bits[c >> 6] >> (c & 63)) & 1;
        case Kind::AnyRun:
          break;
      }
      return false;
    }
  };

  static bool ParseList(std::string_view pattern, std::size_t& i, Element& e) {
    std::size_t k = i + 1;
    const bool negated = k < pattern.size() && pattern[k] == '!';
    if (negated) ++k;
    const std::size_t close = pattern.find(']', k);
    if (close == std::string_view::npos) return false;
    e.kind = Kind::Set;
    while (k < close) {
      auto from = static_cast<unsigned char>(pattern[k]);
      if (k + 2 < close && pattern[k + 1] == '-') {
        auto to = static_cast<unsigned char>(pattern[k + 2]);
        if (to < from) std::swap(from, to);
        for (unsigned c = from; c <= to; ++c) e.Add(static_cast<unsigned char>(c));
        k += 3;
      } else {
        e.Add(from);
        ++k;
      }
    }
    if (negated)
      for (auto& word : e.bits) word = ~word;
    i = close + 1;
    return true;
  }

  std::vector<Element> elements_;
};

struct Entry {
  std::uint32_t hostOffset, hostLength;  // the name as the host stores it
  std::uint32_t textOffset, textLength;  // the same name as program text
  unsigned char type;                    // DT_DIR, DT_REG, DT_LNK or DT_UNKNOWN
};

// One folder being walked. Frames are kept when popped so that their buffers are
// reused by the next folder at the same depth.
struct Frame {
  DIR* dir = nullptr;  // kept open while the folder's entries are visited
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
    host_ = hostFolder;
    while (host_.size() > 1 && host_.back() == '/') host_.pop_back();
    const int fd = open(host_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (host_ == "/") host_.clear();
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
    DIR* dir = fdopendir(fd);
    if (!dir) {
      close(fd);
      return false;
    }
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
    while (const dirent* d = readdir(dir)) {
      const char* name = d->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      // A backslash separates folders in program paths, so such a name could only be
      // reached as another path ("..\\x" as a file beside the folder searched).
      if (std::strchr(name, '\\')) continue;
      const unsigned char type = d->d_type;
      if (type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN) continue;
      needsDescriptor |= type != DT_REG;
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
        codepage::AppendFromUtf8(frame.names, std::string(host));
        e.textLength = static_cast<std::uint32_t>(frame.names.size() - e.textOffset);
      }
      frame.entries.push_back(e);
    }

    std::sort(frame.entries.begin(), frame.entries.end(), [&frame](const Entry& a, const Entry& b) {
      const int order = codepage::CompareForListing(frame.TextName(a), frame.TextName(b));
      return order != 0 ? order < 0 : frame.HostName(a) < frame.HostName(b);
    });

    if (needsDescriptor && depth_ < kHeldDescriptors) {
      frame.dir = dir;
    } else {
      closedir(dir);
      frame.dir = nullptr;
    }
    ++depth_;
    return true;
  }

  void Leave() {
    Frame& frame = frames_[--depth_];
    if (frame.dir) closedir(frame.dir);
    frame.dir = nullptr;
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
    if (frame.dir) return fstatat(dirfd(frame.dir), std::string(name).c_str(), &st, 0) == 0;
    return stat(FullPath(name).c_str(), &st) == 0;
  }

  int OpenAt(const Frame& frame, std::string_view name) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (frame.dir) return openat(dirfd(frame.dir), std::string(name).c_str(), flags);
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
};

}  // namespace

void FindFiles(std::string& folder, std::string_view folderPattern, std::string_view namePattern,
               std::vector<std::string>& results) {
  if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
  const std::optional<std::string> host = hostpath::ToHostPath(folder);
  if (!host) return;
  Walker(folderPattern, namePattern, results).Run(folder, *host);
}

std::string StripNul(std::string_view buffer) {
  return std::string(buffer.substr(0, buffer.find('\0')));
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  return Pattern(pattern).Matches(text);
}

}  // namespace FindFileRecursive
