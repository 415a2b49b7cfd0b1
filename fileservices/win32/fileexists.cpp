#include "fileservices/fileexists.h"

#include <windows.h>

#include "fileservices/hostpath.h"
#include "fileservices/win32/native.h"

namespace FileMisc {

bool FileExists(std::string_view path) {
  const std::optional<hostpath::HostPath> host = hostpath::ToHostPath(path);
  if (!host) return false;
  DWORD attributes = GetFileAttributesW(host->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    const std::optional<BY_HANDLE_FILE_INFORMATION> target =
        fileservices_win32::FollowedInfo(*host);
    if (!target) return false;
    attributes = target->dwFileAttributes;
  }
  // The lookup for ordinary files: folders, hidden and system files count as missing.
  constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
  return (attributes & kNotOrdinary) == 0;
}

}  // namespace FileMisc
