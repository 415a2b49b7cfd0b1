#pragma once

// The wildcard grammar of the file search (see findfile.h), parsed once per search so
// that a walk over many thousand names does not parse it again for each of them. Also
// the home of findfile.h's pure routines, WildcardMatch and StripNul.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace FindFileRecursive {

// Corner cases of the grammar, as decided for this program:
//   "[" with no "]" after it is an ordinary character.
//   "[]" is an empty list and matches no character; "[!]" matches any one character.
//     A "]" can therefore not stand inside a list; outside one it matches itself.
//   "-" at the start or end of a list is an ordinary member; "z-a" is the same range as
//     "a-z". Inside a list "?", "*", "#" and a "!" that is not first are ordinary.
class Pattern {
 public:
  explicit Pattern(std::string_view pattern);
  // Whole-text match, by byte value.
  bool Matches(std::string_view text) const;

 private:
  enum class Kind : unsigned char { Literal, AnyOne, AnyRun, Set };
  struct Element {
    Kind kind = Kind::Literal;
    unsigned char literal = 0;
    std::array<std::uint64_t, 4> bits{};

    void Add(unsigned char c) { bits[c >> 6] |= std::uint64_t{1} << (c & 63); }
    bool Takes(unsigned char c) const;
  };

  static bool ParseList(std::string_view pattern, std::size_t& i, Element& e);

  std::vector<Element> elements_;
};

}  // namespace FindFileRecursive
