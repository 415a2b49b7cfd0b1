#pragma once

// What the Windows backend shares: code-page text to the UTF-16 of the wide calls and
// back through our own tables of the system's code page (so every byte comes back as it
// was), and a look at a file through any link that leads to it.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "fileservices/codepage.h"

namespace fileservices_win32 {

inline void AppendWide(std::wstring& out, std::string_view text) {
  for (const char c : text)
    out.push_back(static_cast<wchar_t>(codepage::DecodeByte(static_cast<unsigned char>(c))));
}

inline std::wstring Wide(std::string_view text) {
  std::wstring out;
  AppendWide(out, text);
  return out;
}

// Appends the code-page text of `name`. False, with nothing appended, when the code page
// lacks one of its characters.
inline bool AppendCodePage(std::string& out, std::wstring_view name) {
  for (const wchar_t unit : name)
    if (!codepage::Holds(unit)) return false;
  codepage::AppendEncoded(
      out, std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size()));
  return true;
}

// The attributes and identity of what `path` names, links followed (a junction or a
// symbolic link counts as what it points at). Nothing when it cannot be opened.
inline std::optional<BY_HANDLE_FILE_INFORMATION> FollowedInfo(const std::wstring& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return info;
}

}  // namespace fileservices_win32
