#pragma once
// Text enters the engine as bytes and lives inside as UTF-8. These routines
// decide how bytes are read and how characters map to Windows-1252.

#include <cstdint>
#include <string>
#include <string_view>

namespace feed {

// Appends the UTF-8 form of a code point (assumed to be a Unicode scalar value).
void AppendUtf8(std::string& out, char32_t cp);

// Reads one code point at `pos` and moves `pos` past it. A byte that does not
// start a valid UTF-8 sequence is read as its Windows-1252 character.
char32_t NextCodePoint(std::string_view text, size_t& pos);

// True when the bytes are valid UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// The character of a Windows-1252 byte (0x81, 0x8D, 0x8F, 0x90, 0x9D map to
// their C1 control code points so nothing is lost).
char32_t Cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a character, or -1 when the code page has none.
int UnicodeToCp1252(char32_t cp);

// Bytes as text: a byte-order mark decides (UTF-8, UTF-16 LE/BE); else the
// encoding named in the XML declaration (UTF-8, ISO-8859-1, Windows-1252,
// US-ASCII and their aliases; the Latin ones read as Windows-1252); else UTF-8
// when the bytes are valid UTF-8, else Windows-1252. The mark is dropped.
std::string DecodeTextBytes(std::string bytes);

// The text with every byte that is not part of valid UTF-8 replaced by its
// Windows-1252 character; valid UTF-8 comes back unchanged.
std::string EnsureUtf8(std::string text);

}  // namespace feed
