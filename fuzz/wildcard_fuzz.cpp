// WildcardMatch against a matcher written only for this check: the pattern becomes a
// list of character classes (kept as ranges) and a table over (text, pattern)
// positions decides the match. Input: the pattern, a line feed, the text.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "fileservices/findfile.h"
#include "scratch.h"

namespace {

struct Token {
  bool star = false;
  bool negated = false;
  std::vector<std::pair<unsigned char, unsigned char>> ranges;  // inclusive

  bool Takes(unsigned char c) const {
    bool in = false;
    for (const auto& [lo, hi] : ranges) in |= lo <= c && c <= hi;
    return in != negated;
  }
};

// The grammar as documented in findfile.cpp: "[" without a later "]" is literal, "[]"
// matches nothing, "[!]" anything, "-" first or last is a member, "z-a" means "a-z".
std::vector<Token> Tokens(std::string_view p) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < p.size()) {
    Token t;
    const auto c = static_cast<unsigned char>(p[i]);
    if (c == '*') {
      t.star = true;
      ++i;
    } else if (c == '?') {
      t.negated = true;  // not in the empty list
      ++i;
    } else if (c == '#') {
      t.ranges.push_back({'0', '9'});
      ++i;
    } else if (c == '[') {
      std::size_t body = i + 1;
      if (body < p.size() && p[body] == '!') {
        t.negated = true;
        ++body;
      }
      std::size_t close = body;
      while (close < p.size() && p[close] != ']') ++close;
      if (close == p.size()) {
        t = Token{};
        t.ranges.push_back({c, c});
        ++i;
      } else {
        std::string_view members = p.substr(body, close - body);
        while (!members.empty()) {
          auto lo = static_cast<unsigned char>(members[0]);
          if (members.size() >= 3 && members[1] == '-') {
            auto hi = static_cast<unsigned char>(members[2]);
            t.ranges.push_back({std::min(lo, hi), std::max(lo, hi)});
            members.remove_prefix(3);
          } else {
            t.ranges.push_back({lo, lo});
            members.remove_prefix(1);
          }
        }
        i = close + 1;
      }
    } else {
      t.ranges.push_back({c, c});
      ++i;
    }
    out.push_back(std::move(t));
  }
  return out;
}

bool ReferenceMatch(std::string_view text, std::string_view pattern) {
  const std::vector<Token> tokens = Tokens(pattern);
  // can[j]: the first i characters of the text are matched by the first j tokens.
  std::vector<char> can(tokens.size() + 1, 0), next(tokens.size() + 1);
  can[0] = 1;
  for (std::size_t j = 0; j < tokens.size() && tokens[j].star; ++j) can[j + 1] = 1;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    next.assign(next.size(), 0);
    for (std::size_t j = 0; j < tokens.size(); ++j) {
      if (tokens[j].star)
        next[j + 1] = next[j] || can[j + 1] || can[j];
      else
        next[j + 1] = can[j] && tokens[j].Takes(c);
    }
    can.swap(next);
  }
  return can[tokens.size()];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\n');
  if (split == std::string_view::npos) return 0;
  const std::string_view pattern = input.substr(0, split), text = input.substr(split + 1);
  if (FindFileRecursive::WildcardMatch(text, pattern) != ReferenceMatch(text, pattern))
    fuzzsupport::Fail("WildcardMatch disagrees with the reference matcher");
  return 0;
}
