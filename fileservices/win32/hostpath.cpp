#include "fileservices/hostpath.h"

#include <windows.h>

#include "fileservices/codepage.h"
#include "fileservices/pathshape.h"
#include "fileservices/win32/native.h"

namespace hostpath {
namespace {

// The long form: no length limit, and no part is read as a device name ("NUL", "CON").
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";

std::wstring& OverriddenFolder() {
  static std::wstring folder;
  return folder;
}

std::wstring& OverriddenDrives() {
  static std::wstring folder;
  return folder;
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

}  // namespace

HostPath ExecutableFolder() {
  if (!OverriddenFolder().empty()) return OverriddenFolder();
  static const std::wstring real = [] {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (n == 0) return std::wstring();
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      if (path.size() >= 32768) return std::wstring();
      path.resize(path.size() * 2);  // the name was cut short
    }
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  }();
  return real;
}

void OverrideExecutableFolder(HostPath hostFolder) {
  OverriddenFolder() = WithoutTrailingSeparators(hostFolder);
}

void OverrideDriveFolders(HostPath hostFolder) {
  OverriddenDrives() = WithoutTrailingSeparators(hostFolder);
}

std::optional<HostPath> ToHostPath(std::string_view programPath) {
  // A path beginning with "/" is a host path only on POSIX.
  if (pathshape::ShapeOf(programPath) != pathshape::Shape::Drive) return std::nullopt;
  std::wstring host(kLongPrefix);
  host += static_cast<wchar_t>(programPath[0] & ~0x20);
  host += L':';
  const std::vector<std::string_view> parts = pathshape::Parts(programPath);
  for (const std::string_view part : parts) {
    host += L'\\';
    fileservices_win32::AppendWide(host, part);
  }
  if (parts.empty() || pathshape::IsSeparator(programPath.back())) host += L'\\';
  // Replaced drives: what lies in the folder that holds them stays where it is.
  const std::wstring& drives = OverriddenDrives();
  if (!drives.empty() && _wcsnicmp(host.c_str() + kLongPrefix.size(), drives.c_str(), drives.size()) != 0)
    host.replace(kLongPrefix.size(), 2, drives + L"\\drive_" + static_cast<wchar_t>(programPath[0] | 0x20));
  return host;
}

}  // namespace hostpath
