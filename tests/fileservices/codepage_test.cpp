#include "fileservices/codepage.h"

#include <gtest/gtest.h>

namespace {

std::string AllBytes() {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  return all;
}

TEST(Codepage, everyByte_decodesAndEncodesBackUnchanged) {
  const std::string all = AllBytes();
  EXPECT_EQ(codepage::Encode(codepage::Decode(all)), all);
  EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(all)), all);
}

TEST(Codepage, decode_followsWindows1252) {
  const struct {
    unsigned char byte;
    char16_t unit;
  } cases[] = {
      {0x41, u'A'},      {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x8D, u'\u008D'}, {0x8F, u'\u008F'},
      {0x90, u'\u0090'}, {0x9D, u'\u009D'}, {0x9F, u'\u0178'}, {0x99, u'\u2122'}, {0xE9, u'\u00E9'},
  };
  for (const auto& c : cases) EXPECT_EQ(codepage::DecodeByte(c.byte), c.unit) << int(c.byte);
}

TEST(Codepage, encode_unmappableBecomesOneQuestionMark) {
  const struct {
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {u"\u4E2D", "?"},
      {u"a\U0001F600b", "a?b"},  // a surrogate pair is one character
      {u"\xD800x", "?x"},        // a lone surrogate
      {u"\u0080", "?"},          // a C1 control that the code page does not hold
      {u"\u20AC\u00FF", "\x80\xFF"},
  };
  for (const auto& c : cases) EXPECT_EQ(codepage::Encode(c.text), c.bytes);
}

TEST(Codepage, fromUtf8_keepsBytesThatAreNotUtf8) {
  const struct {
    std::string utf8, bytes;
  } cases[] = {
      {"caf\xC3\xA9", "caf\xE9"},
      {"caf\xE9", "caf\xE9"},  // a name written in the code page itself
      {"\xE2\x82\xAC", "\x80"},
      {"\xE2\x9C\x93", "?"},             // a check mark is not in the code page
      {"\xC0\xAF", "\xC0\xAF"},          // overlong form
      {"\xED\xA0\x80", "\xED\xA0\x80"},  // encoded surrogate
      {"\xE2\x82", "\xE2\x82"},          // cut short
  };
  for (const auto& c : cases) EXPECT_EQ(codepage::FromUtf8(c.utf8), c.bytes) << c.utf8;
}

TEST(Codepage, caseFolding_coversCodePageLetters) {
  EXPECT_TRUE(
      codepage::EqualsNoCase("\xC9"
                             "COLE",
                             "\xE9"
                             "cole"));
  EXPECT_TRUE(codepage::EqualsNoCase("\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"));
  EXPECT_FALSE(codepage::EqualsNoCase("\xD7", "\xF7"));  // times and divide are no pair
  EXPECT_LT(codepage::CompareForListing("b", "C"), 0);
  EXPECT_LT(codepage::CompareForListing("AB", "ab"), 0);  // ties in byte order
}

}  // namespace
