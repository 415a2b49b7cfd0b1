#include "fileservices/codepage.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/tempdir.h"

namespace {

// Every byte string comes back unchanged in every code page, also through a host name; on
// Windows each byte reads as the system reads it, or keeps its value where the system reads
// none (on Linux scripts/make-codepages.py --check holds the tables to iconv). The round
// trips and the encoder's fast paths are also the codepage fuzz target's properties.
TEST(Codepage, eachCodePage_readsAsTheSystemDoes_undefinedBytesKeepTheirValue) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (const int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    ASSERT_TRUE(codepage::Use(page));
    const std::u16string text = codepage::Decode(all);
#ifdef _WIN32  // Windows alone reads 0xCA of 1255 (as U+05BA); the tables' sources leave it undefined.
    for (int b = 0; b < 256; ++b)
      if (const auto system = testsupport::SystemDecode(page, static_cast<unsigned char>(b)); system != u'\u05BA' || b != 0xCA)
        { EXPECT_EQ(text[b], system.value_or(b)) << page << " " << b; }
#endif
    EXPECT_EQ(codepage::Encode(text), all) << page;
    EXPECT_EQ(codepage::FromUtf8(codepage::ToUtf8(all)), all) << page;
  }
  // A code page without a table (double-byte, Unicode, none) leaves the one in use.
  for (const int page : {932, 936, 949, 950, 65001, 0, -1, 1259}) EXPECT_FALSE(codepage::Use(page)) << page;
  EXPECT_EQ(codepage::InUse(), 1258);
  codepage::Use(1252);
}

// Letter case and the lines kept as Latin-1 follow the code page in use.
TEST(Codepage, letterCase_andLatin1Lines_followTheCodePage) {
  const std::tuple<int, std::u16string, std::u16string, bool> rows[] = {
      {1251, u"ДМИТРИЙ Ё", u"дмитрий ё", false}, {1250, u"MICHAŁ ŻÓŁĆ", u"michał żółć", false},
      {1253, u"ΣΟΦΙΑ", u"σοφια", false}, {1252, u"ŠŒŽŸÉ", u"šœžÿé", true}};
  for (const auto& [page, upper, lower, latin1] : rows) {
    codepage::Use(page);
    EXPECT_TRUE(codepage::EqualsNoCase(codepage::Encode(upper), codepage::Encode(lower))) << page;
    for (const char* line : {"caf\xE9", "a fine caf\xE9;"}) EXPECT_EQ(codepage::ReadsAsLatin1(line), latin1) << page;
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
