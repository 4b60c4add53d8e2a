#include "core/PasteCleanup.h"

#include <cstddef>

namespace core {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` holds `tag` (written in lower case) at `pos`, ignoring case.
bool TagAt(std::string_view text, std::size_t pos, std::string_view tag) {
    if (text.size() - pos < tag.size()) return false;
    for (std::size_t i = 0; i < tag.size(); ++i) {
        if (LowerAscii(text[pos + i]) != tag[i]) return false;
    }
    return true;
}

// Length of the line end at `pos` (CR LF 2, CR or LF 1), or 0 when there is none.
std::size_t LineEndAt(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    if (text[pos] == '\r') return (pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
    return text[pos] == '\n' ? 1 : 0;
}

// Number of line breaks the markup or line end at `pos` stands for, with its
// length in `length`; 0 when `pos` starts nothing of the kind.
int BreaksAt(std::string_view text, std::size_t pos, std::size_t& length) {
    if (const std::size_t end = LineEndAt(text, pos)) {
        length = end;
        return 1;
    }
    if (text[pos] != '<') return 0;
    struct Tag {
        std::string_view name;
        int breaks;
    };
    static constexpr Tag kTags[] = {{"<br />", 1}, {"<br/>", 1}, {"<p>", 1}, {"</p>", 2}};
    for (const Tag& tag : kTags) {
        if (TagAt(text, pos, tag.name)) {
            length = tag.name.size();
            return tag.breaks;
        }
    }
    // A plain "<br>" swallows the line end after it; without one it is text.
    if (TagAt(text, pos, "<br>")) {
        if (const std::size_t end = LineEndAt(text, pos + 4)) {
            length = 4 + end;
            return 1;
        }
    }
    return 0;
}

}  // namespace

std::string CleanPasteText(std::string_view text, PasteMode mode) {
    std::string_view lineBreak;
    switch (mode) {
        case PasteMode::SingleLine: lineBreak = " "; break;
        case PasteMode::MultiLineHtmlBreaks: lineBreak = "<br>\r\n"; break;
        case PasteMode::MultiLine: lineBreak = "\r\n"; break;
    }

    // One pass does what a chain of replacements would: no pattern overlaps
    // another, and a replacement never produces a character a later pattern
    // looks for. Working without an in-band marker character also leaves any
    // control character of the pasted text as it was.
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t length = 0;
        const int breaks = BreaksAt(text, pos, length);
        if (breaks == 0) {
            result += text[pos++];
            continue;
        }
        for (int i = 0; i < breaks; ++i) result += lineBreak;
        pos += length;
    }
    return result;
}

}  // namespace core
