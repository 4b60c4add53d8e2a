#pragma once
// Clean-up of text pasted into a text field: HTML line-break tags and raw
// line ends become the line breaks the receiving field keeps.

#include <string>
#include <string_view>

namespace core {

// How the receiving field keeps its line breaks.
enum class PasteMode {
    SingleLine,           // a line break becomes one blank
    MultiLineHtmlBreaks,  // a line break becomes "<br>" CR LF (descriptions)
    MultiLine,            // a line break becomes CR LF
};

// The pasted text with its line breaks rewritten for `mode`. Each of
// "<br />", "<br/>", "<p>" and a "<br>" that is directly followed by CR LF,
// CR or LF (tag and line end together) counts as one line break, "</p>" as
// two, and every remaining CR LF, LF or CR as one; tags are matched ignoring
// letter case. A "<br>" not followed by a line end stays as it is, and so does
// every other character. An empty text gives an empty text.
std::string CleanPasteText(std::string_view text, PasteMode mode);

}  // namespace core
