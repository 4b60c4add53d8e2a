#pragma once
// Small text routines the editors and tools share: quoting and padding, the
// display form of descriptions, the coloured and the indented forms of XML
// for the source view, the language list, the version number and the file
// name part of a web address. All texts are UTF-8.

#include <string>
#include <string_view>
#include <vector>

namespace core {

// The lines of "LanguageCodes.txt", each "name: code"
// ("English (United States): en-us"); empty until LoadLanguageCodes.
extern std::vector<std::string> LanguageCodes;

// The text with every double quote doubled.
std::string DoubleQuotes(std::string_view text);

// The text with "0" put in front until it is at least `length` characters long.
std::string PadZeros(std::string_view text, int length);

// The description as a multi-line field shows it: every line end, break tag
// and paragraph tag (any letter case) becomes "<br>" followed by CR LF, a
// closing paragraph tag two of them.
std::string NormalizeLineBreaks(std::string_view text);

// The XML as an RTF document in Arial 10: backslashes and braces escaped,
// each line end a paragraph. With `colour`, every tag is bold, navy by
// default; item tags red, image tags green, channel tags purple and rss
// tags maroon.
std::string XmlToRtf(std::string_view xml, bool colour);

// The XML on one line per tag, indented by four blanks per level, with
// control characters turned into blanks and runs of blanks collapsed; an
// element that holds only text stays on one line, and a blank line stands
// before the first item and after each item.
std::string IndentXml(std::string_view xml);

// Fills LanguageCodes from "LanguageCodes.txt" in the program folder; a
// missing or unreadable file leaves the list empty.
void LoadLanguageCodes();
// Fills LanguageCodes from the file at `path`, with the same rules.
void LoadLanguageCodesFrom(const std::string& path);

// The first line of LanguageCodes that ends in ": " and the code, letter
// case ignored, or an empty text when none does.
std::string LanguageLineOfCode(std::string_view code);

// The code of a language line: the text after its first ":" (the whole line
// when it has none), trimmed and in lower case.
std::string CodeOfLanguageLine(std::string_view line);

// The program's file version as four numbers joined by ".", "1.0.2.0" for
// this release; "0.0.0.0" when the build carries none.
std::string VersionNumberText();

// The document (file name) part of a web address: the text after the last
// "/" of its path, without query or fragment; an empty text when the
// address has no path or its path ends in "/".
std::string UrlDocument(std::string_view address);

}  // namespace core
