// WildcardMatch against a matcher written only for this check: the pattern becomes a list
// of stars and sets of byte values, and a table over (text, pattern) positions decides
// the match. Input: the pattern, a line feed, the text.

#include <bitset>
#include <cstdint>
#include <vector>

#include "fileservices/findfile.h"
#include "scaffold.h"

namespace {

struct Token {
  bool star = false;
  std::bitset<256> takes;
};

// The grammar as findfile.h gives it: "[" without a later "]" is literal, "[]" matches
// nothing, "[!]" anything, "-" first or last is a member, "z-a" means "a-z".
std::vector<Token> Tokens(std::string_view p) {
  std::vector<Token> out;
  for (std::size_t i = 0; i < p.size(); ++i) {
    Token t;
    const auto c = static_cast<unsigned char>(p[i]);
    const bool negated = c == '[' && i + 1 < p.size() && p[i + 1] == '!';
    const std::size_t close = c == '[' ? p.find(']', i + 1 + negated) : std::string_view::npos;
    if (c == '*') {
      t.star = true;
    } else if (c == '?') {
      t.takes.set();
    } else if (c == '#') {
      for (char d = '0'; d <= '9'; ++d) t.takes.set(static_cast<unsigned char>(d));
    } else if (close != std::string_view::npos) {
      for (std::size_t k = i + 1 + negated; k < close; ++k) {
        auto lo = static_cast<unsigned char>(p[k]), hi = lo;
        if (k + 2 < close && p[k + 1] == '-') hi = static_cast<unsigned char>(p[k += 2]);
        for (unsigned v = std::min(lo, hi); v <= std::max(lo, hi); ++v) t.takes.set(v);
      }
      if (negated) t.takes.flip();
      i = close;
    } else {
      t.takes.set(c);
    }
    out.push_back(t);
  }
  return out;
}

bool ReferenceMatch(std::string_view text, std::string_view pattern) {
  const std::vector<Token> tokens = Tokens(pattern);
  // can[j]: the text read so far is matched by the first j tokens.
  std::vector<char> can(tokens.size() + 1, 0), next(tokens.size() + 1);
  can[0] = 1;
  for (std::size_t j = 0; j < tokens.size() && tokens[j].star; ++j) can[j + 1] = 1;
  for (const char ch : text) {
    next.assign(next.size(), 0);
    for (std::size_t j = 0; j < tokens.size(); ++j)
      next[j + 1] = tokens[j].star ? next[j] || can[j + 1] || can[j]
                                   : can[j] && tokens[j].takes.test(static_cast<unsigned char>(ch));
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
