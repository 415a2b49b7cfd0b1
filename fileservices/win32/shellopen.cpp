#include "fileservices/shellopen.h"

#include <windows.h>
#include <shellapi.h>

#include "fileservices/win32/native.h"

namespace FileMisc {

void OpenWithShell(std::uintptr_t ownerWindow, std::string_view target) {
  // A NUL would cut the target short.
  if (target.empty() || target.find('\0') != std::string_view::npos) return;
  const std::wstring wide = fileservices_win32::Wide(target);
  // The result tells success or failure, and every failure is silent.
  (void)ShellExecuteW(reinterpret_cast<HWND>(ownerWindow), L"open", wide.c_str(), nullptr, nullptr,
                      SW_SHOWNORMAL);
}

}  // namespace FileMisc
