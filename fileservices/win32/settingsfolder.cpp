#include "fileservices/settingsfolder.h"

#include <windows.h>
#include <shlobj.h>

#include "fileservices/hostpath.h"

namespace hostpath {
namespace {

constexpr wchar_t kProgramName[] = L"norvik-prefs-editor";

// The settings file is replaced through a temporary file beside it, so the folder itself
// must take new files; only making one tells (an ACL, a read-only medium, a folder under
// Program Files for a user without rights).
bool CanWriteIn(const std::wstring& folder) {
  if (folder.empty()) return false;
  const std::wstring probe = folder + L"\\.norvik-write-test.tmp";
  const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  CloseHandle(file);
  return true;
}

// %APPDATA%\norvik-prefs-editor, made when missing. Empty when it cannot be.
std::wstring ConfigFolder() {
  PWSTR appData = nullptr;
  std::wstring folder;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &appData) == S_OK)
    folder = std::wstring(appData) + L"\\" + kProgramName;
  CoTaskMemFree(appData);
  if (folder.empty()) return {};
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    return {};
  return folder;
}

}  // namespace

// Beside the program when that folder takes new files (a portable copy); else, as for an
// installed copy under Program Files, the user's application data folder.
std::wstring SettingsFolder() {
  if (!CanWriteIn(ExecutableFolder())) {
    std::wstring config = ConfigFolder();
    if (!config.empty()) return config;
  }
  return ExecutableFolder();
}

std::wstring SettingsFile(std::string_view name) {
  return SettingsFolder() + L'\\' + std::wstring(name.begin(), name.end());
}

}  // namespace hostpath
