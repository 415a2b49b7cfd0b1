#include "fileservices/replacefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>

namespace fileservices_internal {
namespace {

using testing::InjectedFault;
using testing::Step;

constexpr std::size_t kBufferBytes = 256 * 1024;

// Past a file size limit the kernel raises SIGXFSZ, which ends the process by default.
// Holding it blocked turns that into a plain EFBIG from write(); a signal raised
// meanwhile is taken off again so it cannot strike once the mask is restored.
class FileSizeSignalGuard {
 public:
  FileSizeSignalGuard() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~FileSizeSignalGuard() {
    if (!sigismember(&previous_, SIGXFSZ)) {
      sigset_t pending;
      if (sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ)) {
        const timespec none{};
        sigtimedwait(&set_, nullptr, &none);
      }
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  FileSizeSignalGuard(const FileSizeSignalGuard&) = delete;
  FileSizeSignalGuard& operator=(const FileSizeSignalGuard&) = delete;

 private:
  sigset_t set_;
  sigset_t previous_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  FileSizeSignalGuard guard;
  while (size > 0) {
    ssize_t n;
    if (const int fault = InjectedFault(Step::Write)) {
      errno = fault;
      n = -1;
    } else {
      n = write(fd, data, size);
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Starts writing what is in the page cache out to the disk without waiting for it, so
// that the disk works while the caller prepares the next part and the fsync of Commit
// finds little left to do. Only a hint: where the system has no such call, or it
// fails, Commit's fsync does all of the work as before.
void StartWriteback(int fd) {
#ifdef SYNC_FILE_RANGE_WRITE
  (void)sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
  (void)fd;
#endif
}

std::string NewTempPath(const std::string& folder, const std::string& base) {
  static std::atomic<unsigned> counter{0};
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const unsigned long salt = static_cast<unsigned long>(now.tv_nsec) ^
                             (static_cast<unsigned long>(getpid()) << 20) ^ counter++;
  return folder + "/" + TempName(base, salt % kTempNumbers);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes what saves of `base` that were killed left in `folder`: regular files of exactly
// our temporary names for it that no writer holds locked any more. Links are not followed.
void SweepStaleTemps(const std::string& folder, const std::string& base) {
  DIR* const listing = opendir(folder.c_str());
  if (!listing) return;
  const int dir = dirfd(listing);
  while (const dirent* entry = readdir(listing)) {
    struct stat seen{}, held{};
    if (!IsTempName(entry->d_name, base) ||
        fstatat(dir, entry->d_name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode))
      continue;
    const int fd = openat(dir, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // Removed only while locked here, and only while the name still leads to this file.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 &&
        fstatat(dir, entry->d_name, &seen, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, seen))
      unlinkat(dir, entry->d_name, 0);
    close(fd);
  }
  closedir(listing);
}

// Locks a new temporary file against sweeps until it is renamed or removed. A sweep may
// have removed it between its creation and the lock: false then, and it is given up.
bool LockedInPlace(int fd, const std::string& path) {
  (void)InjectedFault(Step::Lock);
  (void)flock(fd, LOCK_EX);
  struct stat held{}, named{};
  return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && SameFile(held, named);
}

}  // namespace

std::optional<ReplaceTarget> FindReplaceTarget(const std::optional<std::string>& host) {
  if (!host) return std::nullopt;
  ReplaceTarget target;
  target.path = *host;
  if (lstat(host->c_str(), &target.info) != 0) {
    if (errno != ENOENT) return std::nullopt;
    return target;
  }
  if (S_ISLNK(target.info.st_mode)) {
    // Replacing the link itself would cut it loose from the file it shares.
    char* real = realpath(host->c_str(), nullptr);
    if (!real) return std::nullopt;
    target.path = real;
    std::free(real);
    if (stat(target.path.c_str(), &target.info) != 0) return std::nullopt;
  }
  target.exists = true;
  // Root may write anything, so the write bits are checked by hand: a file marked
  // read-only stays as it is.
  target.saveable = S_ISREG(target.info.st_mode) && (target.info.st_mode & 0222) != 0 &&
                    faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) == 0;
  return target;
}

FileReplacement::~FileReplacement() { Abort(); }

bool FileReplacement::Begin(const ReplaceTarget& target) {
  Abort();
  failed_ = false;
  target_ = target;
  const std::string& path = target_.path;
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return false;
  folder_ = slash == 0 ? std::string("/") : path.substr(0, slash);
  const std::string base = path.substr(slash + 1);
  // Beside a target that is gone, what is left may be all there is of it: left alone.
  if (target_.exists) SweepStaleTemps(folder_, base);

  // A file that exists gets its own mode later; a new one takes 0666 under the umask.
  const mode_t mode = target_.exists ? 0600 : 0666;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp_ = NewTempPath(folder_, base);
    fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0 && errno != EEXIST) break;
    if (fd >= 0 && !LockedInPlace(fd, temp_)) {
      close(fd);
      fd = -1;
    }
  }
  file_ = fd;
  if (fd < 0) {
    temp_.clear();
    return false;
  }
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  return true;
}

bool FileReplacement::Write(std::string_view bytes) {
  if (!ok()) return false;
  if (buffer_.size() + bytes.size() > kBufferBytes && !Flush()) return false;
  if (bytes.size() >= kBufferBytes) {
    const int fd = static_cast<int>(file_);
    if (!WriteAll(fd, bytes.data(), bytes.size())) failed_ = true;
    StartWriteback(fd);
    return !failed_;
  }
  buffer_.append(bytes);
  return true;
}

bool FileReplacement::Flush() {
  const int fd = static_cast<int>(file_);
  if (!buffer_.empty() && !WriteAll(fd, buffer_.data(), buffer_.size())) failed_ = true;
  if (buffer_.size() >= kBufferBytes / 2) StartWriteback(fd);
  buffer_.clear();
  return !failed_;
}

bool FileReplacement::Commit() {
  const int fd = static_cast<int>(file_);
  if (!ok() || !Flush()) {
    Abort();
    return false;
  }
  if (target_.exists) {
    const struct stat& old = target_.info;
    // Before the fsync, which makes them durable with the bytes: a crash after the rename
    // must not bring the file back with the temporary file's mode.
    // Owner first: changing it can clear set-id bits that fchmod then puts back.
    // Only root may give a file away; for anyone else keeping the owner is best effort.
    (void)fchown(fd, old.st_uid, old.st_gid);
    if (fchmod(fd, old.st_mode & 07777) != 0) {
      Abort();
      return false;
    }
  }
  (void)InjectedFault(Step::Sync);
  if (fsync(fd) != 0) {
    Abort();
    return false;
  }
  if (const int fault = InjectedFault(Step::Rename)) {
    errno = fault;
    Abort();
    return false;
  }
  if (rename(temp_.c_str(), target_.path.c_str()) != 0) {
    Abort();
    return false;
  }
  temp_.clear();
  // Closed only now: the lock keeps sweeps off the file up to the rename. Its bytes are
  // on disk since the fsync, so the close can lose nothing.
  file_ = -1;
  close(fd);
  // The new name is only durable once the folder is on disk too. The file is in place
  // by now, so a failure here is not a failed save.
  const int folder = open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    (void)fsync(folder);
    close(folder);
  }
  return true;
}

void FileReplacement::Abort() {
  const int saved = errno;
  // Removed while still locked, so that no sweep takes the name meanwhile.
  if (!temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  if (file_ != -1) close(static_cast<int>(file_));
  file_ = -1;
  buffer_.clear();
  failed_ = true;
  errno = saved;
}

}  // namespace fileservices_internal
