#include "fileservices/wildcard.h"

#include <string>
#include <utility>

#include "fileservices/findfile.h"

namespace FindFileRecursive {

Pattern::Pattern(std::string_view pattern) {
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    Element e;
    if (c == '*') {
      e.kind = Kind::AnyRun;
      while (i < pattern.size() && pattern[i] == '*') ++i;
    } else if (c == '?') {
      e.kind = Kind::AnyOne;
      ++i;
    } else if (c == '#') {
      e.kind = Kind::Set;
      for (int d = '0'; d <= '9'; ++d) e.Add(static_cast<unsigned char>(d));
      ++i;
    } else if (c == '[' && ParseList(pattern, i, e)) {
      // ParseList moved `i` past the list.
    } else {
      e.kind = Kind::Literal;
      e.literal = static_cast<unsigned char>(c);
      ++i;
    }
    elements_.push_back(e);
  }
}

// Every element but "*" takes exactly one character, so going back to the last star
// is enough: the match costs at most text length times pattern length.
bool Pattern::Matches(std::string_view text) const {
  const std::size_t n = elements_.size();
  std::size_t t = 0, e = 0;
  std::size_t starElement = n, starText = 0;
  while (t < text.size()) {
    if (e < n && elements_[e].kind == Kind::AnyRun) {
      starElement = e++;
      starText = t;
    } else if (e < n && elements_[e].Takes(static_cast<unsigned char>(text[t]))) {
      ++e;
      ++t;
    } else if (starElement != n) {
      e = starElement + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (e < n && elements_[e].kind == Kind::AnyRun) ++e;
  return e == n;
}

bool Pattern::Element::Takes(unsigned char c) const {
  switch (kind) {
    case Kind::Literal:
      return c == literal;
    case Kind::AnyOne:
      return true;
    case Kind::Set:
      return (bits[c >> 6] >> (c & 63)) & 1;
    case Kind::AnyRun:
      break;
  }
  return false;
}

bool Pattern::ParseList(std::string_view pattern, std::size_t& i, Element& e) {
  std::size_t k = i + 1;
  const bool negated = k < pattern.size() && pattern[k] == '!';
  if (negated) ++k;
  const std::size_t close = pattern.find(']', k);
  if (close == std::string_view::npos) return false;
  e.kind = Kind::Set;
  while (k < close) {
    auto from = static_cast<unsigned char>(pattern[k]);
    if (k + 2 < close && pattern[k + 1] == '-') {
      auto to = static_cast<unsigned char>(pattern[k + 2]);
      if (to < from) std::swap(from, to);
      for (unsigned c = from; c <= to; ++c) e.Add(static_cast<unsigned char>(c));
      k += 3;
    } else {
      e.Add(from);
      ++k;
    }
  }
  if (negated)
    for (auto& word : e.bits) word = ~word;
  i = close + 1;
  return true;
}

std::string StripNul(std::string_view buffer) {
  return std::string(buffer.substr(0, buffer.find('\0')));
}

bool WildcardMatch(std::string_view text, std::string_view pattern) {
  return Pattern(pattern).Matches(text);
}

}  // namespace FindFileRecursive
