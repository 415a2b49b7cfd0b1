#include "fileservices/codepage.h"

#include <gtest/gtest.h>

#include "support/tempdir.h"

namespace {

// Every code page against the system's own converter: each byte it reads reads the same,
// every other one keeps its value, and every byte string comes back unchanged, also
// through a host name. The round trips and the encoder's fast paths are the codepage fuzz
// target's properties, replayed as a test over its seeds.
TEST(Codepage, eachCodePage_readsAsTheSystemDoes_undefinedBytesKeepTheirValue) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (const int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    ASSERT_TRUE(codepage::Use(page));
    const std::u16string text = codepage::Decode(all);
    // Windows alone reads 0xCA of 1255 (as U+05BA); the tables' sources leave it undefined.
    for (int b = 0; b < 256; ++b)
      if (const auto system = testsupport::SystemDecode(page, static_cast<unsigned char>(b)); system != u'\u05BA' || b != 0xCA)
        { EXPECT_EQ(text[b], system.value_or(b)) << page << " " << b; }
    EXPECT_EQ(codepage::Encode(text), all) << page;
    EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(all)), all) << page;
  }
  // A code page without a table (double-byte, Unicode, none) leaves the one in use.
  for (const int page : {932, 936, 949, 950, 65001, 0, -1, 1259}) EXPECT_FALSE(codepage::Use(page)) << page;
  EXPECT_EQ(codepage::InUse(), 1258);
  codepage::Use(1252);
}

// What a user types in each code page, its letter case, and the lines kept as Latin-1.
TEST(Codepage, typedText_letterCase_andLatin1Lines_followTheCodePage) {
  struct Row { int page; std::u16string typed; std::string bytes; std::u16string upper, lower; bool cafeReadsAsLatin1; };
  const Row rows[] = {
      {1251, u"\u041F\u0451\u0442\u0440 \u00E9\u20AC", "\xCF\xB8\xF2\xF0 ?\x88", u"\u0414\u041C\u0418\u0422\u0420\u0418\u0419", u"\u0434\u043C\u0438\u0442\u0440\u0438\u0439", false},
      {1250, u"Micha\u0142 \u0152", "Micha\xB3 ?", u"MICHA\u0141 \u017B\u00D3\u0141\u0106", u"micha\u0142 \u017C\u00F3\u0142\u0107", false},
      {1253, u"\u03A3\u03C3\u0401", "\xD3\xF3?", u"\u03A3\u039F\u03A6\u0399\u0391", u"\u03C3\u03BF\u03C6\u03B9\u03B1", false},
      {1252, u"\u20AC\u00FF\u0081 ~\u0100\u0080", "\x80\xFF\x81 ~??", u"\u0160\u0152\u017D\u0178\u00C9", u"\u0161\u0153\u017E\u00FF\u00E9", true},
  };
  for (const Row& row : rows) {
    codepage::Use(row.page);
    EXPECT_EQ(codepage::Encode(row.typed), row.bytes) << row.page;
    EXPECT_TRUE(codepage::EqualsNoCase(codepage::Encode(row.upper), codepage::Encode(row.lower))) << row.page;
    EXPECT_FALSE(codepage::EqualsNoCase(codepage::Encode(row.upper), codepage::Encode(row.typed.substr(0, row.upper.size()))));
    for (const char* line : {"caf\xE9", "a fine caf\xE9;"}) EXPECT_EQ(codepage::ReadsAsLatin1(line), row.cafeReadsAsLatin1) << row.page;
    std::string latin1 = "x";
    codepage::AppendEncodedLatin1(latin1, "caf\xE9 \x80");
    EXPECT_EQ(latin1, codepage::Encode(u"xcaf\u00E9 \u0080")) << row.page;
  }
  codepage::Use(1252);
}

TEST(Codepage, hostNames_areUtf8WhereTheyCanBe) {
  const std::pair<std::string, std::string> rows[] = {
      {"caf\xC3\xA9", "caf\xE9"}, {"caf\xE9", "caf\xE9"}, {"\xE2\x82\xAC", "\x80"}, {"\xE2\x9C\x93", "?"},
      {"\xF0\x9F\x98\x80!", "?!"}, {"\xC0\xAF", "\xC0\xAF"}, {"\xED\xA0\x80", "\xED\xA0\x80"}, {"\xED\xBF\xBF", "\xED\xBF\xBF"}, {"\xE2\x82", "\xE2\x82"},
      {"\xF4\x8F\xBF\xBF", "?"}, {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"}, {"\xF8\xA1\x80\x80", "\xF8\xA1\x80\x80"}, {"\xDF", "\xDF"}, {"\xDF\xBF", "?"},
  };
  for (const auto& [utf8, bytes] : rows) EXPECT_EQ(codepage::FromUtf8(utf8), bytes) << utf8;
}

}  // namespace
