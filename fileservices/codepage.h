#pragma once

// The game writes its files in the Windows-1252 code page, one byte per character.
// Every routine of fileservices speaks that code page; the editor converts at its edge.

#include <string>
#include <string_view>

namespace codepage {

// One byte to one UTF-16 unit. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every
// byte string decodes and encodes back unchanged.
char16_t DecodeByte(unsigned char byte);
std::u16string Decode(std::string_view bytes);

// A character that the code page lacks becomes '?' (a surrogate pair counts as one
// character and gives one '?').
std::string Encode(std::u16string_view text);
// Encode appending to `out`, for callers that reuse one buffer.
void AppendEncoded(std::string& out, std::u16string_view text);
// The same for Latin-1 text, one byte a character (U+0000 to U+00FF).
void AppendEncodedLatin1(std::string& out, std::string_view latin1);

// True when the code page has the character.
bool Holds(char32_t character);

// Windows-1252 and Latin-1 give the same character for every byte outside 0x80-0x9F.
// True when `bytes` hold none of those: then they read alike in both, so the bytes can be
// kept as Latin-1 text as they stand (nearly every line of a prefs file is such a line).
bool ReadsAsLatin1(std::string_view bytes);

// Host file names are UTF-8 on disk. FromUtf8 turns a host name into code-page text:
// characters the code page lacks become '?', and bytes that are not valid UTF-8 are
// taken as code-page bytes as they stand. ToUtf8 is the way back.
std::string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::string_view bytes);
// FromUtf8 appending to `out`, for callers that reuse one buffer. False when a character
// of the name is not in the code page (and so became '?').
bool AppendFromUtf8(std::string& out, std::string_view utf8);

// Letter case of the code page: ASCII letters and the Windows-1252 letters that have a
// partner of the other case compare equal.
bool EqualsNoCase(std::string_view a, std::string_view b);
// The order in which folder entries are listed: without regard to case, ties in byte
// order. Negative, zero or positive like memcmp.
int CompareForListing(std::string_view a, std::string_view b);

}  // namespace codepage
