#include "fileservices/codepage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::string_literals;

TEST(Codepage, everyByte_decodesToOneCharacterAndEncodesBackUnchanged) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string text = codepage::Decode(all);
  EXPECT_EQ(text.size(), all.size());
  EXPECT_EQ(codepage::Encode(text), all);
  EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(all)), all);
  for (const char16_t c : text) EXPECT_TRUE(codepage::Holds(c)) << int(c);
}

TEST(Codepage, decodeFollowsWindows1252_undefinedBytesKeepTheirValue) {
  const std::pair<unsigned char, char16_t> rows[] = {
      {0x41, u'A'},      {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x8D, u'\u008D'}, {0x8F, u'\u008F'},
      {0x90, u'\u0090'}, {0x9D, u'\u009D'}, {0x9F, u'\u0178'}, {0x99, u'\u2122'}, {0xE9, u'\u00E9'},
  };
  for (const auto& [byte, unit] : rows) EXPECT_EQ(codepage::DecodeByte(byte), unit) << int(byte);
}

TEST(Codepage, encode_anyCharacterTheCodePageLacksBecomesOneQuestionMark) {
  const std::pair<std::u16string, std::string> rows[] = {
      {u"\u4E2D", "?"},
      {u"a\U0001F600b", "a?b"},  // a surrogate pair is one character
      {u"\xD800x\xDC00", "?x?"},  // lone surrogates
      {u"\u0080\u009F", "??"},    // C1 controls the code page does not hold
      {u"\u20AC\u00FF\u0081 ~", "\x80\xFF\x81 ~"},
  };
  for (const auto& [text, bytes] : rows) {
    EXPECT_EQ(codepage::Encode(text), bytes);
    std::string appended = "kept";
    codepage::AppendEncoded(appended, text);
    EXPECT_EQ(appended, "kept" + bytes);
  }
  // A high surrogate that ends the text is not read past its end.
  const std::vector<char16_t> exact = {u'a', 0xD800};
  EXPECT_EQ(codepage::Encode({exact.data(), exact.size()}), "a?");
}

TEST(Codepage, latin1Text_encodesAsTheCodePageReadsIt) {
  const std::pair<std::string, std::string> rows[] = {
      {"caf\xE9 ~", "caf\xE9 ~"},
      {"\x80\x81\x8D\x9F", "?\x81\x8D?"},  // Latin-1's C1 controls: only five are in the code page
      {"long line of text \x9D", "long line of text \x9D"},
      {"long line of text \x85", "long line of text ?"},
  };
  for (const auto& [latin1, bytes] : rows) {
    std::string out = "kept";
    codepage::AppendEncodedLatin1(out, latin1);
    EXPECT_EQ(out, "kept" + bytes) << latin1;
  }
}

// The byte 0x80-0x9F decides; it is looked for in every position of short and long texts.
TEST(Codepage, readsAsLatin1_onlyWithoutBytesFrom80To9F) {
  EXPECT_TRUE(codepage::ReadsAsLatin1(""));
  for (const std::size_t size : {1, 7, 8, 9, 17}) {
    std::string bytes(size, '\xA0');
    EXPECT_TRUE(codepage::ReadsAsLatin1(bytes)) << size;
    for (std::size_t at = 0; at < size; ++at) {
      for (const char c : {'\x80', '\x9F'}) {
        std::string with = bytes;
        with[at] = c;
        EXPECT_FALSE(codepage::ReadsAsLatin1(with)) << size << " " << at;
      }
      bytes[at] = (at % 2) ? '\x7F' : '\xFF';
      EXPECT_TRUE(codepage::ReadsAsLatin1(bytes)) << size << " " << at;
    }
  }
}

TEST(Codepage, holds_theCodePagesCharactersOnly) {
  const std::pair<char32_t, bool> rows[] = {
      {U'A', true},    {0xE9, true},     {0x20AC, true},  {0x81, true},
      {0x80, false},   {0x100, false},   {0x4E2D, false}, {0x1F600, false},
  };
  for (const auto& [c, held] : rows) EXPECT_EQ(codepage::Holds(c), held) << int(c);
}

TEST(Codepage, fromUtf8_keepsBytesThatAreNotUtf8) {
  const std::pair<std::string, std::string> rows[] = {
      {"caf\xC3\xA9", "caf\xE9"},
      {"caf\xE9", "caf\xE9"},  // a name written in the code page itself
      {"\xE2\x82\xAC", "\x80"},
      {"\xE2\x9C\x93", "?"},             // a check mark is not in the code page
      {"\xF0\x9F\x98\x80!", "?!"},       // four bytes
      {"\xC0\xAF", "\xC0\xAF"},          // overlong form
      {"\xED\xA0\x80", "\xED\xA0\x80"},  // encoded surrogate
      {"\xE2\x82", "\xE2\x82"},          // cut short
  };
  for (const auto& [utf8, bytes] : rows) EXPECT_EQ(codepage::FromUtf8(utf8), bytes) << utf8;
  EXPECT_EQ(codepage::ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(Codepage, letterCase_coversTheCodePagesLetters) {
  EXPECT_TRUE(codepage::EqualsNoCase("\xC9" "COLE", "\xE9" "cole"));
  EXPECT_TRUE(codepage::EqualsNoCase("\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"));
  EXPECT_FALSE(codepage::EqualsNoCase("\xD7", "\xF7"));  // times and divide are no pair
  EXPECT_FALSE(codepage::EqualsNoCase("ab", "abc"));
  const std::tuple<std::string, std::string, int> order[] = {
      {"b", "C", -1}, {"AB", "ab", -1}, {"ab", "AB", 1}, {"ab", "ab", 0}, {"a", "AB", -1}, {"Z", "a", 1},
  };
  for (const auto& [a, b, sign] : order) {
    const int got = codepage::CompareForListing(a, b);
    EXPECT_EQ((got > 0) - (got < 0), sign) << a << " " << b;
  }
}

}  // namespace
