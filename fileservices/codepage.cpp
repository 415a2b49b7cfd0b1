#include "fileservices/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace codepage {
namespace {

// Bytes 0x80-0xFF of a code page, from scripts/make-codepages.py (below 0x80 all are ASCII).
struct Table {
  int number;
  char16_t units[128];
  unsigned char lower[128];
};
constexpr Table kTables[] = {
#include "fileservices/codepage_tables.inc"
};

// The code page in use, with the way back from a UTF-16 unit to its byte.
struct Active {
  int number = 0;
  std::array<char16_t, 256> decode{};
  std::array<unsigned char, 256> fold{};
  std::array<unsigned char, 0x10000> encode{};  // 0: not in the code page (but for U+0000)
  bool latin1Above9F = false;                   // 0xA0-0xFF read as in Latin-1
};

constexpr void Load(Active& active, const Table& table) {
  active.number = table.number;
  active.encode.fill(0);
  for (int b = 0; b < 256; ++b) {
    active.decode[b] = b < 0x80 ? static_cast<char16_t>(b) : table.units[b - 0x80];
    active.fold[b] = b < 0x80 ? static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b)
                              : table.lower[b - 0x80];
    active.encode[active.decode[b]] = static_cast<unsigned char>(b);
  }
  active.latin1Above9F = true;
  for (int b = 0xA0; b < 256; ++b) active.latin1Above9F &= active.decode[b] == b;
}

constexpr const Table* Find(int number) {
  for (const Table& table : kTables)
    if (table.number == number) return &table;
  return nullptr;
}

constexpr Active Loaded(int number) {
  Active active;
  Load(active, *Find(number));
  return active;
}

// Made when the program is compiled: ready before anything runs, with no check on each use.
constinit Active current = Loaded(1252);

constexpr char kUnmappable = '?';

// The code-page byte for a code point, or -1.
int EncodeCodePoint(char32_t cp) {
  if (cp >= 0x10000) return -1;
  const unsigned char b = current.encode[cp];
  return b != 0 || cp == 0 ? b : -1;
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

// True when no byte of `bytes` reads otherwise than in Latin-1: none above 0x7F, or with
// c1Only (Windows-1252, which differs in 0x80-0x9F alone) none with bit 7 set and bits 6
// and 5 clear.
template <bool c1Only>
bool NoByteDiffers(std::string_view bytes) {
  const char* const p = bytes.data();
  const std::size_t n = bytes.size();
  if (n < 8) {
    constexpr unsigned kMask = c1Only ? 0xE0 : 0x80;
    for (std::size_t i = 0; i < n; ++i)
      if ((static_cast<unsigned char>(p[i]) & kMask) == 0x80) return false;
    return true;
  }
  // Eight bytes a step.
  auto differs = [](const char* at) {
    std::uint64_t w;
    std::memcpy(&w, at, sizeof w);
    if constexpr (c1Only) w &= ~(w << 1) & ~(w << 2);
    return w & 0x8080808080808080ull;
  };
  std::uint64_t found = differs(p + n - 8);  // the last eight, overlapping the steps before
  for (std::size_t i = 0; i + 8 <= n; i += 8) found |= differs(p + i);
  return found == 0;
}

}  // namespace

int InUse() { return current.number; }

bool Use(int number) {
  const Table* table = Find(number);
  if (!table) return false;
  if (table->number != current.number) Load(current, *table);
  return true;
}

int UseSystemCodePage() {
  Use(SystemCodePage());  // one without a table leaves 1252
  return InUse();
}

char16_t DecodeByte(unsigned char byte) { return current.decode[byte]; }

std::u16string Decode(std::string_view bytes) {
  const auto& decode = current.decode;
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = decode[static_cast<unsigned char>(bytes[i])];
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
    if (u < 0x80) {  // ASCII in every code page: the common case
      *next++ = static_cast<char>(u);
      continue;
    }
    int b = -1;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      ++i;  // nothing outside the basic plane is in a code page
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
    const int b = EncodeCodePoint(static_cast<unsigned char>(c));
    out.push_back(b < 0 ? kUnmappable : static_cast<char>(b));
  }
}

bool Holds(char32_t character) { return EncodeCodePoint(character) >= 0; }

bool ReadsAsLatin1(std::string_view bytes) {
  return current.latin1Above9F ? NoByteDiffers<true>(bytes) : NoByteDiffers<false>(bytes);
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
  const auto& decode = current.decode;
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(out, decode[static_cast<unsigned char>(c)]);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto& fold = current.fold;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold[static_cast<unsigned char>(a[i])] != fold[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

int CompareForListing(std::string_view a, std::string_view b) {
  const auto& fold = current.fold;
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  int tie = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca == cb) continue;
    const unsigned char fa = fold[ca], fb = fold[cb];
    if (fa != fb) return fa < fb ? -1 : 1;
    if (tie == 0) tie = ca < cb ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return tie;
}

}  // namespace codepage
