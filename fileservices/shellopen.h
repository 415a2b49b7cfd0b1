#pragma once

#include <cstdint>
#include <string_view>

namespace FileMisc {

// Hands `target` (an address or document, code-page text) to the desktop and does not
// wait for the program that opens it. Every failure is silent. POSIX: spawns
// `xdg-open target` without a shell and leaves no zombie; `ownerWindow` is kept for the
// interface. Windows: ShellExecuteW "open" with a normal window, owned by `ownerWindow`.
void OpenWithShell(std::uintptr_t ownerWindow, std::string_view target);

}  // namespace FileMisc
