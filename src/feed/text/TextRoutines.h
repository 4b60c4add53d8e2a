#pragma once
// Text routines of the feed formats: the two layers of character escaping
// used in feed files, the markup escaper of the tag repair and name lookup.
// All texts are UTF-8.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace feed {

// Raised when a text that must be a number is not one.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Index of the first entry equal to the text without regard to ASCII case, or -1.
int IndexOfText(std::string_view text, const std::vector<std::string>& list);

// True when both texts are equal without regard to ASCII case.
bool SameText(std::string_view a, std::string_view b);

// Characters 0..9, 11, 12 and from 127 up become "&#n;": n is the
// Windows-1252 byte where the code page has the character, else its code
// point. Line feed, carriage return and the other characters stay.
std::string EncodeNumericRefs(std::string_view text);

// Decodes "&#n;" and "&#xh;" references of five to eight characters, and longer
// ones that name a character above 255. 128..159 are Windows-1252 bytes; a value
// that names no character stays as text, and so does one whose digits are no
// number (so text such as "&#&#233;", which our own writer makes of "&#é",
// reads back). Shorter references stay as text. Never throws.
std::string DecodeNumericRefs(std::string_view text);

// The straightforward form of DecodeNumericRefs: one replace-all of the whole
// text per reference. Same result; used only for inputs whose decoded
// characters can form new references. Its work is bounded: on a text that
// would need more than about 64 whole-text passes per character, later
// references are replaced where they stand.
std::string DecodeNumericRefsByPasses(std::string_view text);

// "<" to "&lt;", ">" to "&gt;", an "&" without a ";" in the eight characters
// that start with it to "&amp;", "'" to "&apos;", in that order.
std::string EscapeMarkup(std::string_view text);

// True when a ';' lies among the eight characters that start at the '&' at
// `amp`, counted in the text as it reads once "<" and ">" are spelled out
// ("&lt;", "&gt;"): such an ampersand starts an entity and is not escaped.
bool AmpersandStartsEntity(std::string_view text, size_t amp);

// A Boolean written as text: a decimal number (0 false, any other true) or
// "True"/"False" in any letter case; anything else gives the fallback.
bool BooleanText(std::string_view text, bool fallback);

// The text without characters of code 32 and below at either end.
std::string_view TrimControls(std::string_view text);

// A string of the program's version information ("FileVersion",
// "ProductVersion", "ProductName"), or an empty text for any other name.
std::string FileVersionText(std::string_view name);

// What a numeric reference "&#...;" stands for.
struct NumericRef {
    enum Kind { Char, Text } What = Text;
    char32_t Value = 0;
};
// The value of the digits of a reference ("65", "x41"), or nothing when they
// are no number. Values beyond Unicode come back as 0x110000.
std::optional<unsigned long> ReferenceValue(std::string_view digits);

// The character a reference value stands for: 128..159 are Windows-1252
// bytes; nothing for a value that names no character.
std::optional<char32_t> ReferencedCharacter(unsigned long value);

// Reads a whole reference text ("&#65;", "&#x41;").
NumericRef ReadNumericRef(std::string_view ref);

}  // namespace feed
