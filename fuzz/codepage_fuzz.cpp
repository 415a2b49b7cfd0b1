// The code-page codec: every byte string decodes to text, one character per byte, and
// encodes back unchanged; the same through the host's UTF-8 names. Any text encodes to
// one byte per character: its own byte when the code page has it, else '?'.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fileservices/codepage.h"
#include "scratch.h"

namespace {

const std::vector<bool>& InCodePage() {
  static const std::vector<bool> table = [] {
    std::vector<bool> t(0x10000);
    for (int b = 0; b < 256; ++b) t[codepage::DecodeByte(static_cast<unsigned char>(b))] = true;
    return t;
  }();
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = codepage::Decode(bytes);
  if (text.size() != bytes.size() || codepage::Encode(text) != bytes)
    fuzzsupport::Fail("bytes to text to bytes changed the bytes");
  if (codepage::FromUtf8(codepage::ToUtf8(bytes)) != bytes)
    fuzzsupport::Fail("bytes to a host name and back changed the bytes");

  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * 2);
  const std::string encoded = codepage::Encode(units);
  const std::u16string back = codepage::Decode(encoded);
  std::size_t k = 0;
  for (std::size_t i = 0; i < units.size(); ++i, ++k) {
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() &&
                      units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
    // A character the code page has comes back; any other becomes '?'.
    const bool inPage = !pair && InCodePage()[units[i]];
    if (k >= back.size() || (inPage ? back[k] != units[i] : back[k] != u'?'))
      fuzzsupport::Fail("a character did not encode to its own byte or to '?'");
    i += pair;
  }
  if (k != encoded.size()) fuzzsupport::Fail("text to bytes is not one byte per character");
  return 0;
}
