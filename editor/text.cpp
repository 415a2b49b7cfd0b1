#include "editor/text.h"

#include "fileservices/codepage.h"

#include <type_traits>

namespace editor {
namespace {

std::u16string_view Units(QStringView text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

std::string ToCodePage(const QString& text) { return codepage::Encode(Units(text)); }

QString FromCodePage(std::string_view bytes) {
  const std::u16string text = codepage::Decode(bytes);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void AppendCodePage(std::string& out, QAnyStringView text) {
  text.visit([&out](auto view) {
    if constexpr (std::is_same_v<decltype(view), QLatin1StringView>)
      codepage::AppendEncodedLatin1(out, {view.data(), static_cast<std::size_t>(view.size())});
    else if constexpr (std::is_same_v<decltype(view), QStringView>)
      codepage::AppendEncoded(out, Units(view));
    else
      codepage::AppendEncoded(out, Units(view.toString()));
  });
}

}  // namespace editor
