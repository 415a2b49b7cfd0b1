#pragma once

// The editor keeps its text in QString; the file services speak the game's 8-bit
// code page. These two convert at that edge.

#include <QString>

#include <string>
#include <string_view>

namespace editor {

std::string ToCodePage(const QString& text);
QString FromCodePage(std::string_view bytes);

}  // namespace editor
