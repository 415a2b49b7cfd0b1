#pragma once

// The editor keeps its text in QString; the file services speak the game's 8-bit
// code page. These convert at that edge.

#include <QAnyStringView>
#include <QString>

#include <string>
#include <string_view>

namespace editor {

std::string ToCodePage(const QString& text);
QString FromCodePage(std::string_view bytes);

// Appends `text` in the code page to `out`, as ToCodePage converts it.
void AppendCodePage(std::string& out, QAnyStringView text);

}  // namespace editor
