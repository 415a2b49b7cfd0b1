#include "fileservices/codepage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The round trips and the encoder's fast paths are the codepage fuzz target's properties,
// replayed as a test over its seeds.
TEST(Codepage, decodesWindows1252_theFiveBytesItLeavesUndefinedKeepTheirValue) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string text = codepage::Decode(all);
  EXPECT_EQ(text.substr(0x7E, 0x24), u"~\x7F\u20AC\x81\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160"
                                     u"\u2039\u0152\x8D\u017D\x8F\x90\u2018\u2019\u201C\u201D\u2022\u2013\u2014"
                                     u"\u02DC\u2122\u0161\u203A\u0153\x9D\u017E\u0178\xA0\xA1");
  EXPECT_EQ(codepage::Encode(u"\u20AC\u00FF\u0081 ~\u0100\u0080"), "\x80\xFF\x81 ~??");
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
