#include "editor/text.h"

#include "fileservices/codepage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

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

// Windows-1252 and Latin-1 give the same character for every byte outside 0x80-0x9F.
// Nearly every line of a prefs file is such a line; the list keeps those at one byte a
// character.
bool ReadsAsLatin1(std::string_view bytes) {
  const char* const p = bytes.data();
  const std::size_t n = bytes.size();
  if (n < 8) {
    for (std::size_t i = 0; i < n; ++i)
      if ((static_cast<unsigned char>(p[i]) & 0xE0) == 0x80) return false;
    return true;
  }
  // Eight bytes a step: a byte in 0x80-0x9F has bit 7 set and bits 6 and 5 clear.
  auto c1 = [](const char* at) {
    std::uint64_t w;
    std::memcpy(&w, at, sizeof w);
    return w & ~(w << 1) & ~(w << 2) & 0x8080808080808080ull;
  };
  std::uint64_t found = c1(p + n - 8);  // the last eight, overlapping the steps before
  for (std::size_t i = 0; i + 8 <= n; i += 8) found |= c1(p + i);
  return found == 0;
}

namespace {

// Appends `text` in the code page to `out`, as editor::ToCodePage converts it. The
// characters that are their own byte are copied as they stand; the rest goes through the
// code page's own encoder, which gives at most one byte per UTF-16 unit.
void AppendCodePage(std::string& out, QStringView text) {
  const char16_t* const units = text.utf16();
  const std::size_t size = static_cast<std::size_t>(text.size());
  const std::size_t start = out.size();
  out.resize(start + size);
  char* next = out.data() + start;
  for (std::size_t i = 0; i < size;) {
    if (units[i] < 0x80 || (units[i] >= 0xA0 && units[i] <= 0xFF)) {
      *next++ = static_cast<char>(units[i++]);  // the same in Latin-1 (see ReadsAsLatin1)
      continue;
    }
    std::size_t end = i;
    while (end < size && (units[end] >= 0x80 && !(units[end] >= 0xA0 && units[end] <= 0xFF))) ++end;
    const std::string encoded = codepage::Encode(std::u16string_view(units + i, end - i));
    next = std::copy(encoded.begin(), encoded.end(), next);
    i = end;
  }
  out.resize(static_cast<std::size_t>(next - out.data()));
}

// The same for Latin-1 text: outside 0x80-0x9F each character is its own byte in the
// code page (see ReadsAsLatin1), so a text without those is copied whole.
void AppendCodePage(std::string& out, QLatin1StringView text) {
  const std::string_view bytes(text.data(), static_cast<std::size_t>(text.size()));
  if (ReadsAsLatin1(bytes)) {
    out.append(bytes);
    return;
  }
  AppendCodePage(out, QStringView(text.toString()));
}

}  // namespace

void AppendCodePage(std::string& out, QAnyStringView text) {
  text.visit([&out](auto view) {
    if constexpr (std::is_same_v<decltype(view), QLatin1StringView> ||
                  std::is_same_v<decltype(view), QStringView>)
      AppendCodePage(out, view);
    else
      AppendCodePage(out, QStringView(view.toString()));
  });
}


}  // namespace editor
