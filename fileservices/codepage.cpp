#include "fileservices/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace codepage {
namespace {

// 0x80-0x9F of Windows-1252. The five holes keep their own value as C1 controls.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char kUnmappable = '?';

// The code-page byte for a code point, or -1.
int EncodeCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHighControls[i] == cp) return 0x80 + i;
  return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    // Every character of the code page lies in the basic plane.
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Length of the well-formed UTF-8 sequence at `s[i]` (2 to 4) with its code point,
// or 0 when the bytes there are not one (overlong forms and surrogates included).
std::size_t Utf8Sequence(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  std::size_t len;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) t[c] = static_cast<unsigned char>(c + 32);  // not the multiplication sign
  t[0x8A] = 0x9A;                                              // S caron
  t[0x8C] = 0x9C;                                              // OE
  t[0x8E] = 0x9E;                                              // Z caron
  t[0x9F] = 0xFF;                                              // Y diaeresis
  return t;
}
constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

}  // namespace

char16_t DecodeByte(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

std::u16string Decode(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char c : bytes) out.push_back(DecodeByte(static_cast<unsigned char>(c)));
  return out;
}

std::string Encode(std::u16string_view text) {
  std::string out;
  AppendEncoded(out, text);
  return out;
}

// One byte per character, so the text's length in units is room enough.
void AppendEncoded(std::string& out, std::u16string_view text) {
  const std::size_t start = out.size();
  out.resize(start + text.size());
  char* next = out.data() + start;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {  // the same in Latin-1: the common case
      *next++ = static_cast<char>(u);
      continue;
    }
    int b = -1;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      ++i;  // nothing outside the basic plane is in the code page
    else
      b = EncodeCodePoint(u);
    *next++ = b < 0 ? kUnmappable : static_cast<char>(b);
  }
  out.resize(static_cast<std::size_t>(next - out.data()));
}

void AppendEncodedLatin1(std::string& out, std::string_view latin1) {
  if (ReadsAsLatin1(latin1)) {
    out.append(latin1);
    return;
  }
  for (const char c : latin1) {
    // In 0x80-0x9F Latin-1 has the C1 controls, of which the code page keeps five.
    const int b = EncodeCodePoint(static_cast<unsigned char>(c));
    out.push_back(b < 0 ? kUnmappable : static_cast<char>(b));
  }
}

bool Holds(char32_t character) { return EncodeCodePoint(character) >= 0; }

bool ReadsAsLatin1(std::string_view bytes) {
  const char* const p = bytes.data();
  const std::size_t n = bytes.size();
  if (n < 8) {
    for (std::size_t i = 0; i < n; ++i)
      if ((static_cast<unsigned char>(p[i]) & 0xE0) == 0x80) return false;
    return true;
  }
  // Eight bytes a step: a byte in 0x80-0x9F has bit 7 set and bits 6 and 5 clear.
  auto c1 = [](const char* at) {
    std::uint64_t w;
    std::memcpy(&w, at, sizeof w);
    return w & ~(w << 1) & ~(w << 2) & 0x8080808080808080ull;
  };
  std::uint64_t found = c1(p + n - 8);  // the last eight, overlapping the steps before
  for (std::size_t i = 0; i + 8 <= n; i += 8) found |= c1(p + i);
  return found == 0;
}

bool AppendFromUtf8(std::string& out, std::string_view utf8) {
  bool held = true;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = Utf8Sequence(utf8, i, cp);
    if (len == 0) {
      out.push_back(static_cast<char>(b));  // a name written in the code page itself
      ++i;
      continue;
    }
    const int enc = EncodeCodePoint(cp);
    held &= enc >= 0;
    out.push_back(enc < 0 ? kUnmappable : static_cast<char>(enc));
    i += len;
  }
  return held;
}

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  AppendFromUtf8(out, utf8);
  return out;
}

std::string ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, DecodeByte(static_cast<unsigned char>(c)));
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (kFold[static_cast<unsigned char>(a[i])] != kFold[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

int CompareForListing(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  int tie = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca == cb) continue;
    const unsigned char fa = kFold[ca], fb = kFold[cb];
    if (fa != fb) return fa < fb ? -1 : 1;
    if (tie == 0) tie = ca < cb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return tie;
}

}  // namespace codepage
