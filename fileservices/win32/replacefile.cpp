#include "fileservices/replacefile.h"

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

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
// temporary names for it. A live writer holds its file open without sharing until it is in
// place, so the delete fails on that one, as it does on a folder; links are left alone.
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

// What a replace keeps of the old file, given to the new one through the handle that holds
// it: the attributes that are not marks (archive, not indexed), the creation time and the
// access rights. The hidden mark of the temporary file goes; the rest is best effort, as
// a file system may keep none of it.
bool TakeOver(HANDLE file, const ReplaceTarget& target) {
  FILE_BASIC_INFO basic{};  // times left at zero stay as they are
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  WIN32_FILE_ATTRIBUTE_DATA old;
  if (target.exists && GetFileAttributesExW(target.path.c_str(), GetFileExInfoStandard, &old)) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (old.dwFileAttributes & kKept) basic.FileAttributes = old.dwFileAttributes & kKept;
    basic.CreationTime.LowPart = old.ftCreationTime.dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(old.ftCreationTime.dwHighDateTime);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(target.path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS) {
      SECURITY_DESCRIPTOR_CONTROL control = 0;
      DWORD revision = 0;
      GetSecurityDescriptorControl(descriptor, &control, &revision);
      const SECURITY_INFORMATION inheritance = (control & SE_DACL_PROTECTED)
                                                   ? PROTECTED_DACL_SECURITY_INFORMATION
                                                   : UNPROTECTED_DACL_SECURITY_INFORMATION;
      const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION | inheritance;
      SetSecurityInfo(file, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
      LocalFree(descriptor);
    }
  }
  return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Renames the file that `file` holds over `target`, in one step, without letting go of it.
bool RenameOver(HANDLE file, const std::wstring& target) {
  const DWORD bytes = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
  auto* const info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = bytes;
  std::memcpy(info->FileName, target.data(), bytes);
  // The buffer's last character stays zero: the name ends as the call wants it to.
  return SetFileInformationByHandle(file, FileRenameInfo, info,
                                    static_cast<DWORD>(buffer.size())) != 0;
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
    // Rights to rename it and to give it the old file's access rights, through this handle.
    file = CreateFileW(temp_.c_str(), GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC, 0, nullptr,
                       CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
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
  // The file stays open without sharing until it is in place, so that the sweep of a second
  // copy of the program cannot take it in between.
  if (!ok() || !Flush() || !FlushFileBuffers(file) || InjectedFault(Step::Rename) != 0 ||
      !TakeOver(file, target_) || !RenameOver(file, target_.path)) {
    Abort();
    return false;
  }
  temp_.clear();
  file_ = -1;
  CloseHandle(file);
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
