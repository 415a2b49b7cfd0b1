#include <gtest/gtest.h>

#include "fileservices/findfile.h"

namespace {

using FindFileRecursive::StripNul;
using FindFileRecursive::WildcardMatch;

TEST(WildcardMatch, grammar) {
  const struct {
    const char* text;
    const char* pattern;
    bool match;
  } cases[] = {
      {"xPrefs.cs", "*Prefs.cs", true},
      {"Prefs.cs", "*Prefs.cs", true},
      {"xprefs.cs", "*Prefs.cs", false},
      {"xPrefs.CS", "*Prefs.cs", false},
      {"xPrefs.cs.bak", "*Prefs.cs", false},
      {"", "*", true},
      {"", "?", false},
      {"ab", "?", false},
      {"a7", "a#", true},
      {"ax", "a#", false},
      {"c", "[a-c]", true},
      {"d", "[a-c]", false},
      {"b", "[c-a]", true},  // a reversed range is the same range
      {"d", "[!a-c]", true},
      {"b", "[!a-c]", false},
      {"-", "[-a]", true},  // '-' first in a list is literal
      {"-", "[a-]", true},  // and last
      {"b", "[a-]", false},
      {"[x", "[x", true},  // '[' without ']' is literal
      {"[", "[", true},
      {"x", "[]", false},  // an empty list matches nothing
      {"x", "[!]", true},  // its negation matches any one character
      {"]", "]", true},
      {"*", "[*]", true},
      {"a", "[*]", false},
      {"#", "[#]", true},
      {"\xE9", "[\xE0-\xFF]", true},  // bytes compare unsigned
      {"c:\\a\\b\\", "*\\b\\", true},
      {"aXbXc", "a*b*c", true},
      {"abcabd", "*ab?", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WildcardMatch(c.text, c.pattern), c.match) << c.text << " ~ " << c.pattern;
}

// Guards against backtracking that grows exponentially with the number of stars.
TEST(WildcardMatch, manyStars_failFast) {
  const std::string text(5000, 'a');
  EXPECT_FALSE(WildcardMatch(text, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(StripNul, cutsAtFirstNul) {
  using namespace std::string_literals;
  EXPECT_EQ(StripNul("abc\0def"s), "abc");
  EXPECT_EQ(StripNul("\0abc"s), "");
  EXPECT_EQ(StripNul("abc"), "abc");
}

}  // namespace
