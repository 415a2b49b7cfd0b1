#pragma once

// The game writes its files in the system's 8-bit code page, one byte per character: one of
// the single-byte Windows code pages 874 (Thai) and 1250 to 1258, picked once at start-up
// (see UseSystemCodePage). Every routine of fileservices speaks that code page; the editor
// converts at its edge.

#include <string>
#include <string_view>

namespace codepage {

// The code page every conversion uses: 1252 until Use picks another.
int InUse();
// Makes `number` the code page in use. False, with the one in use kept, for a code page
// that has no table here (a double-byte one such as 932, or any other).
bool Use(int number);

// The system's own code page, which need not be one with a table. Windows: GetACP().
// POSIX: the one Wine gives a Windows program for the user's locale (LocaleCodePage of the
// first of $LC_ALL, $LC_CTYPE and $LANG that is set and not empty).
int SystemCodePage();
#ifndef _WIN32
// The code page Wine gives for a POSIX locale name, "language[_TERRITORY][.charset][@modifier]"
// ("ru_RU.UTF-8": 1251; "ja_JP.UTF-8": 932): 1252 for C, POSIX, no name and a language or
// territory Wine does not know; 65001 for the languages Windows writes in Unicode alone.
int LocaleCodePage(std::string_view locale);
#endif
// Decides the code page once, at start-up: the system's when it has a table here, else
// (a double-byte or Unicode system) the one in use, 1252. Gives the one now in use.
int UseSystemCodePage();

// One byte to one UTF-16 unit. The bytes the code page leaves undefined map to the
// character of the same value (0x81 to U+0081), so every byte string decodes and encodes
// back unchanged.
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

// True when every byte of `bytes` gives the same character in the code page and in
// Latin-1: then the bytes can be kept as Latin-1 text as they stand (nearly every line of
// a prefs file is such a line). Windows-1252: no byte in 0x80-0x9F; the others: ASCII.
bool ReadsAsLatin1(std::string_view bytes);

// Host file names are UTF-8 on disk. FromUtf8 turns a host name into code-page text:
// characters the code page lacks become '?', and bytes that are not valid UTF-8 are
// taken as code-page bytes as they stand. ToUtf8 is the way back.
std::string FromUtf8(std::string_view utf8);
std::string ToUtf8(std::string_view bytes);
// FromUtf8 appending to `out`, for callers that reuse one buffer. False when a character
// of the name is not in the code page (and so became '?').
bool AppendFromUtf8(std::string& out, std::string_view utf8);

// Letter case of the code page: ASCII letters and the code page's letters that have a
// partner of the other case in it compare equal.
bool EqualsNoCase(std::string_view a, std::string_view b);
// The order in which folder entries are listed: without regard to case, ties in byte
// order. Negative, zero or positive like memcmp.
int CompareForListing(std::string_view a, std::string_view b);

}  // namespace codepage
