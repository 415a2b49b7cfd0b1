#include "fileservices/inputfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "fileservices/hostpath.h"

namespace fileservices_internal {

InputFile::InputFile(const std::optional<hostpath::HostPath>& host) {
  if (!host) return;
  // Non-blocking, so that a FIFO named like a prefs file cannot hang the open.
  const int fd = open(host->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return;
  }
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
}

InputFile::~InputFile() {
  if (isOpen()) close(static_cast<int>(handle_));
}

bool InputFile::Identify(FileMisc::FileIdentity& identity) const {
  struct stat st;
  if (!isOpen() || fstat(static_cast<int>(handle_), &st) != 0) return false;
  const auto nanoseconds = [](const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  identity = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
              static_cast<std::uint64_t>(st.st_size), nanoseconds(st.st_mtim),
              nanoseconds(st.st_ctim)};
  return true;
}

std::ptrdiff_t InputFile::Read(char* buffer, std::size_t n) {
  if (!isOpen()) return -1;
  for (;;) {
    const ssize_t got = read(static_cast<int>(handle_), buffer, n);
    if (got >= 0 || errno != EINTR) return got;
  }
}

}  // namespace fileservices_internal
