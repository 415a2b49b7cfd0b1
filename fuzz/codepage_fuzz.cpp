// The code-page codec: every byte string decodes to one character per byte and encodes
// back unchanged, also through the host's UTF-8 names and through the fast paths for
// Latin-1 text. Any text encodes to one byte per character: its own byte when the code
// page has it, else '?'.

#include <cstdint>
#include <cstring>

#include "fileservices/codepage.h"
#include "scaffold.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string text = codepage::Decode(bytes);
  if (text.size() != size || codepage::Encode(text) != bytes) fuzzsupport::Fail("bytes to text to bytes");
  if (codepage::FromUtf8(codepage::ToUtf8(bytes)) != bytes) fuzzsupport::Fail("bytes to a host name and back");

  bool c1 = false;
  std::u16string latin1;  // the bytes read as Latin-1
  for (const char c : bytes) {
    c1 |= (static_cast<unsigned char>(c) & 0xE0) == 0x80;
    latin1.push_back(static_cast<unsigned char>(c));
  }
  if (codepage::ReadsAsLatin1(bytes) == c1) fuzzsupport::Fail("ReadsAsLatin1 is wrong");
  std::string viaLatin1 = "x";
  codepage::AppendEncodedLatin1(viaLatin1, bytes);
  if (viaLatin1 != "x" + codepage::Encode(latin1)) fuzzsupport::Fail("the Latin-1 path encodes otherwise");

  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * 2);
  const std::string encoded = codepage::Encode(units);
  std::size_t k = 0;
  for (std::size_t i = 0; i < units.size(); ++i, ++k) {
    const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size() &&
                      units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
    const bool held = !pair && codepage::Holds(units[i]);
    if (k >= encoded.size() || (held ? codepage::DecodeByte(encoded[k]) != units[i] : encoded[k] != '?'))
      fuzzsupport::Fail("a character did not encode to its own byte or to '?'");
    i += pair;
  }
  if (k != encoded.size()) fuzzsupport::Fail("text to bytes is not one byte per character");
  return 0;
}
