#include "fileservices/replacefile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "fileservices/win32/native.h"

namespace fileservices_internal {
namespace {

using testing::InjectedFault;
using testing::Step;

constexpr std::size_t kBufferBytes = 256 * 1024;

HANDLE AsHandle(std::intptr_t file) { return reinterpret_cast<HANDLE>(file); }

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    if (InjectedFault(Step::Write) != 0) return false;
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::wstring NewTempPath(const std::wstring& folder, const std::wstring& base) {
  static std::atomic<unsigned> counter{0};
  const unsigned long long salt =
      GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^ counter++;
  return folder + L"\\" + TempName(base, salt % kTempNumbers);
}

// Removes what saves of `base` that were killed left in `folder`: files of exactly our
// temporary names for it. A live writer holds its file open without sharing, so the delete
// fails on that one, as it does on a folder; links are left alone.
void SweepStaleTemps(const std::wstring& folder, const std::wstring& base) {
  WIN32_FIND_DATAW entry;
  const HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (IsTempName(entry.cFileName, base) &&
        (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
      DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

// ReplaceFileW keeps the old file's attributes and security; where the file system cannot
// do that, a move puts the new file in place as a whole all the same.
bool MoveIntoPlace(const std::wstring& temp, const ReplaceTarget& target) {
  constexpr DWORD kKeepGoing = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
  if (target.exists &&
      ReplaceFileW(target.path.c_str(), temp.c_str(), nullptr, kKeepGoing, nullptr, nullptr))
    return true;
  return MoveFileExW(temp.c_str(), target.path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

std::optional<ReplaceTarget> FindReplaceTarget(const std::optional<std::wstring>& host) {
  if (!host) return std::nullopt;
  ReplaceTarget target;
  target.path = *host;
  DWORD attributes = GetFileAttributesW(host->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return std::nullopt;
    return target;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // Replacing the link itself would cut it loose from the file it shares.
    const HANDLE file =
        CreateFileW(host->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::wstring real(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file, real.data(), static_cast<DWORD>(real.size()),
                                        FILE_NAME_NORMALIZED);
    if (n >= real.size()) {
      real.resize(n);
      n = GetFinalPathNameByHandleW(file, real.data(), static_cast<DWORD>(real.size()),
                                    FILE_NAME_NORMALIZED);
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = n > 0 && n < real.size() && GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known) return std::nullopt;
    real.resize(n);
    target.path = real;
    attributes = info.dwFileAttributes;
  }
  target.exists = true;
  // Checked here rather than left to the replace: Wine run as root, like root on POSIX,
  // would replace a read-only file.
  constexpr DWORD kLeftAlone = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY |
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_DEVICE;
  target.saveable = (attributes & kLeftAlone) == 0;
  return target;
}

FileReplacement::~FileReplacement() { Abort(); }

bool FileReplacement::Begin(const ReplaceTarget& target) {
  Abort();
  failed_ = false;
  target_ = target;
  const std::wstring& path = target_.path;
  const std::size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos || slash + 1 == path.size()) return false;
  folder_ = path.substr(0, slash);
  const std::wstring base = path.substr(slash + 1);
  // Beside a target that is gone, what is left may be all there is of it: left alone.
  if (target_.exists) SweepStaleTemps(folder_, base);

  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp_ = NewTempPath(folder_, base);
    // Hidden: a leading dot hides nothing here, and a killed save leaves its file behind
    // until the next save of the target.
    file = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    temp_.clear();
    return false;
  }
  file_ = reinterpret_cast<std::intptr_t>(file);
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  return true;
}

bool FileReplacement::Write(std::string_view bytes) {
  if (!ok()) return false;
  if (buffer_.size() + bytes.size() > kBufferBytes && !Flush()) return false;
  if (bytes.size() >= kBufferBytes) {
    if (!WriteAll(AsHandle(file_), bytes.data(), bytes.size())) failed_ = true;
    return !failed_;
  }
  buffer_.append(bytes);
  return true;
}

bool FileReplacement::Flush() {
  if (!buffer_.empty() && !WriteAll(AsHandle(file_), buffer_.data(), buffer_.size()))
    failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool FileReplacement::Commit() {
  const HANDLE file = AsHandle(file_);
  if (!ok() || !Flush() || !FlushFileBuffers(file)) {
    Abort();
    return false;
  }
  file_ = -1;
  // The file's own attributes go with it into place (under Wine with either call): the
  // saved file must not come out hidden.
  if (!CloseHandle(file) || InjectedFault(Step::Rename) != 0 ||
      !SetFileAttributesW(temp_.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    Abort();
    return false;
  }
  if (!MoveIntoPlace(temp_, target_)) {
    // A replace that failed half way can have taken the old file away; the new one is
    // then the only copy left, and it stays.
    if (target_.exists && GetFileAttributesW(target_.path.c_str()) == INVALID_FILE_ATTRIBUTES)
      temp_.clear();
    Abort();
    return false;
  }
  temp_.clear();
  return true;
}

void FileReplacement::Abort() {
  if (file_ != -1) CloseHandle(AsHandle(file_));
  file_ = -1;
  if (!temp_.empty()) DeleteFileW(temp_.c_str());
  temp_.clear();
  buffer_.clear();
  failed_ = true;
}

}  // namespace fileservices_internal
