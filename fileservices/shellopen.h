#pragma once

#include <cstdint>
#include <string_view>

namespace FileMisc {

// Hands `target` (an address or document, code-page text) to the desktop: spawns
// `xdg-open target` without a shell, does not wait for it and leaves no zombie. Every
// failure is silent. `ownerWindow` is kept for the interface; the POSIX call has no use
// for it.
void OpenWithShell(std::uintptr_t ownerWindow, std::string_view target);

}  // namespace FileMisc
