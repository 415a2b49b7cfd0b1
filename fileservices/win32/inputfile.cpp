#include "fileservices/inputfile.h"

#include <windows.h>

#include <algorithm>

#include "fileservices/hostpath.h"

namespace fileservices_internal {

InputFile::InputFile(const std::optional<hostpath::HostPath>& host) {
  if (!host) return;
  // Shared every way, so that the game or another editor holding the file open does not
  // keep it from being read.
  const HANDLE file = CreateFileW(host->c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  // A pipe or a device could block a read or never end.
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size)) {
    CloseHandle(file);
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
}

InputFile::~InputFile() {
  if (isOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool InputFile::Identify(FileMisc::FileIdentity& identity) const {
  const HANDLE file = reinterpret_cast<HANDLE>(handle_);
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO times;
  if (!isOpen() || !GetFileInformationByHandle(file, &info) ||
      !GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times))
    return false;
  const auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  identity = {info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
              join(info.nFileSizeHigh, info.nFileSizeLow), times.LastWriteTime.QuadPart,
              times.ChangeTime.QuadPart};
  return true;
}

std::ptrdiff_t InputFile::Read(char* buffer, std::size_t n) {
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
  if (!isOpen() || !ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, wanted, &got, nullptr))
    return -1;
  return static_cast<std::ptrdiff_t>(got);
}

}  // namespace fileservices_internal
