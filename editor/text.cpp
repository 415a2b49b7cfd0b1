#include "editor/text.h"

#include "fileservices/codepage.h"

namespace editor {

std::string ToCodePage(const QString& text) {
  return codepage::Encode(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size())));
}

QString FromCodePage(std::string_view bytes) {
  const std::u16string text = codepage::Decode(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace editor
