#include "core/TextHelpers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/ProgramFolder.h"
#include "feed/FeedModel.h"
#include "feed/text/Encoding.h"
#include "feed/text/Scan.h"
#include "feed/text/TextRoutines.h"

#ifndef QUORVANE_FILE_VERSION
#define QUORVANE_FILE_VERSION ""
#endif

namespace core {

std::vector<std::string> LanguageCodes;

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = LowerAscii(c);
    return lower;
}

bool StartsWith(std::string_view text, size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

// Replaces every occurrence of `from` (lower case, first character not a
// letter) without regard to ASCII case; replaced text is not searched again.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t copied = 0;
    size_t at = 0;
    while (at < text.size()) {
        const void* hit = std::memchr(text.data() + at, from[0], text.size() - at);
        if (!hit) break;
        const size_t pos = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
        bool same = text.size() - pos >= from.size();
        for (size_t k = 1; same && k < from.size(); ++k) same = LowerAscii(text[pos + k]) == from[k];
        if (!same) {
            at = pos + 1;
            continue;
        }
        out.append(text, copied, pos - copied);
        out.append(to);
        copied = at = pos + from.size();
    }
    out.append(text, copied, std::string_view::npos);
    return out;
}

// The colour a tag opening at `rest` (the text after its "<") takes: red for
// item, green for image, purple for channel, maroon for rss, else navy.
char TagColour(std::string_view rest) {
    if (StartsWith(rest, 0, "item>") || StartsWith(rest, 0, "/item>")) return '1';
    if (StartsWith(rest, 0, "image>") || StartsWith(rest, 0, "/image>")) return '2';
    if (StartsWith(rest, 0, "channel>") || StartsWith(rest, 0, "/channel>")) return '5';
    if (StartsWith(rest, 0, "rss") || StartsWith(rest, 0, "/rss")) return '4';
    return '3';
}

constexpr std::string_view kRtfHeader =
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fswiss\fprq2\fcharset0 Arial;}{\f1\fswiss\fcharset0 Arial;}})"
    R"({\colortbl ;\red255\green0\blue0;\red0\green255\blue0;\red0\green0\blue128;\red128\green0\blue0;\red128\green0\blue128;\red0\green255\blue255;})"
    R"(\viewkind4\uc1\pard\cf0\f0\fs20 )";

// The characters XmlToRtf does more with than copy.
constexpr char kRtfSpecial[] = {'\\', '{', '}', '\r', '\n', '<', '>'};

char BlankForControl(char c) {
    return static_cast<unsigned char>(c) < 32 ? ' ' : c;
}

// Control characters become blanks; a blank followed by another blank or by
// "<" is dropped.
std::string CollapseBlanks(std::string_view xml) {
    std::string flat;
    flat.reserve(xml.size());
    const size_t n = xml.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = BlankForControl(xml[i]);
        if (c == ' ' && i + 1 < n) {
            const char next = BlankForControl(xml[i + 1]);
            if (next == ' ' || next == '<') continue;
        }
        flat += c;
    }
    return flat;
}

// The bytes of a file; false when it cannot be opened or read (a folder
// opens but does not read).
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

}  // namespace

std::string DoubleQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        out += c;
        if (c == '"') out += '"';
    }
    return out;
}

std::string PadZeros(std::string_view text, int length) {
    // Count characters, not bytes, so a text with multi-byte characters is
    // not padded short.
    const auto characters = static_cast<long>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
    const long missing = std::max(0L, static_cast<long>(length) - characters);
    std::string out(static_cast<size_t>(missing), '0');
    out.append(text);
    return out;
}

std::string NormalizeLineBreaks(std::string_view text) {
    // Order matters: tag spellings first, then the line end right after a
    // break, then the remaining line ends, and finally one line end after
    // every break.
    static constexpr std::string_view kSteps[][2] = {
        {"<br />", "<br>"}, {"<br/>", "<br>"},   {"<p>", "<br>"},   {"</p>", "<br><br>"},
        {"<br>\r\n", "<br>"}, {"<br>\r", "<br>"}, {"<br>\n", "<br>"}, {"\r\n", "<br>"},
        {"\r", "<br>"},     {"\n", "<br>"},     {"<br>", "<br>\r\n"},
    };
    std::string out(text);
    for (const auto& step : kSteps) out = ReplaceAllIgnoreCase(out, step[0], step[1]);
    return out;
}

std::string XmlToRtf(std::string_view xml, bool colour) {
    std::string out;
    out.reserve(kRtfHeader.size() + xml.size() + xml.size() / 4 + 2);
    out.append(kRtfHeader);
    const char* p = xml.data();
    const size_t n = xml.size();
    bool inTag = false;
    size_t i = 0;
    while (i < n) {
        const size_t j = feed::FindAnyOf(p, i, n, kRtfSpecial);
        out.append(p + i, j - i);
        if (j == n) break;
        switch (p[j]) {
        case '\\': out += "\\\\"; break;
        case '{': out += "\\{"; break;
        case '}': out += "\\}"; break;
        case '\r': out += "\\par \r"; break;
        case '\n':
            // A line feed on its own ends a line as well (text taken from the
            // editor has no carriage returns); after a CR it is just copied.
            if (j > 0 && p[j - 1] == '\r') out += '\n';
            else out += "\\par \n";
            break;
        case '<':
            if (colour && !inTag) {
                // The element colour is decided here, where the tag is
                // opened, so text that merely looks like a colour code is
                // never touched.
                out += "\\b\\cf";
                out += TagColour(xml.substr(j + 1));
                out += " <";
                inTag = true;
            } else {
                out += '<';
            }
            break;
        case '>':
            if (colour && inTag) {
                out += ">\\cf0\\b0 ";
                inTag = false;
            } else {
                out += '>';
            }
            break;
        }
        i = j + 1;
    }
    out += '}';
    feed::PumpEvents();
    return out;
}

std::string IndentXml(std::string_view xml) {
    const std::string flat = CollapseBlanks(xml);
    feed::PumpEvents();

    std::string out;
    out.reserve(flat.size() + flat.size() / 2 + 16);
    int depth = 0;
    bool previousWasEnd = false;
    bool firstBreak = true;
    size_t firstItem = std::string::npos;
    auto newLine = [&] {
        // The first line break would only put an empty line before the first tag.
        if (firstBreak) firstBreak = false;
        else out += "\r\n";
        out.append(static_cast<size_t>(std::max(depth, 0)) * 4, ' ');
    };

    const size_t n = flat.size();
    size_t i = 0;
    while (i < n) {
        const void* hit = std::memchr(flat.data() + i, '<', n - i);
        const size_t j = hit ? static_cast<size_t>(static_cast<const char*>(hit) - flat.data()) : n;
        out.append(flat, i, j - i);
        if (j == n) break;
        const char next = j + 1 < n ? flat[j + 1] : '\0';
        if (next == '/') {
            --depth;
            if (previousWasEnd) newLine();
            previousWasEnd = true;
            if (StartsWith(flat, j, "</item>")) {
                // A blank line after each item.
                out += "</item>\r\n";
                i = j + 7;
                continue;
            }
        } else {
            newLine();
            if (firstItem == std::string::npos && StartsWith(flat, j, "<item>")) firstItem = out.size();
            if (next != '?' && next != '!') ++depth;
            previousWasEnd = false;
        }
        out += '<';
        i = j + 1;
    }

    if (firstItem != std::string::npos) {
        // A blank line before the first item too, indented like the item.
        size_t blanks = 0;
        while (blanks < firstItem && out[firstItem - blanks - 1] == ' ') ++blanks;
        out.insert(firstItem, "\r\n" + std::string(blanks, ' '));
    }
    feed::PumpEvents();
    return out;
}

void LoadLanguageCodesFrom(const std::string& path) {
    LanguageCodes.clear();
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return;
    const std::string text = feed::DecodeTextBytes(std::move(bytes));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        // Trailing blanks would keep a line from matching its code.
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') line.remove_suffix(1);
        if (!feed::TrimControls(line).empty()) LanguageCodes.emplace_back(line);
        start = end + 1;
    }
}

void LoadLanguageCodes() {
    LoadLanguageCodesFrom(ProgramFolder() + "LanguageCodes.txt");
}

std::string LanguageLineOfCode(std::string_view code) {
    const std::string wanted = ": " + LowerAscii(code);
    for (const std::string& line : LanguageCodes) {
        if (line.size() < wanted.size()) continue;
        if (LowerAscii(std::string_view(line).substr(line.size() - wanted.size())) == wanted) return line;
    }
    return {};
}

std::string CodeOfLanguageLine(std::string_view line) {
    const size_t colon = line.find(':');
    const std::string_view code = colon == std::string_view::npos ? line : line.substr(colon + 1);
    return LowerAscii(feed::TrimControls(code));
}

std::string VersionNumberText() {
    const std::string_view version = QUORVANE_FILE_VERSION;
    unsigned long parts[4] = {0, 0, 0, 0};
    size_t part = 0;
    for (const char c : version) {
        if (c == '.') {
            if (++part == 4) break;
        } else if (c >= '0' && c <= '9') {
            parts[part] = parts[part] * 10 + static_cast<unsigned long>(c - '0');
        }
    }
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]) + "." +
           std::to_string(parts[3]);
}

std::string UrlDocument(std::string_view address) {
    // Addresses typed by hand sometimes use backslashes; they separate the
    // path just the same.
    auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    std::string_view rest = address.substr(0, address.find('#'));
    rest = rest.substr(0, rest.find('?'));

    size_t authority = std::string_view::npos;
    const size_t scheme = rest.find("://");
    if (scheme != std::string_view::npos && scheme > 0 &&
        std::all_of(rest.begin(), rest.begin() + static_cast<long>(scheme), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
                   c == '-' || c == '.';
        })) {
        authority = scheme + 3;
    } else if (rest.size() >= 2 && isSeparator(rest[0]) && isSeparator(rest[1])) {
        authority = 2;
    }
    if (authority != std::string_view::npos) {
        // The host (with user and port) is no part of the path.
        const auto pathStart = std::find_if(rest.begin() + static_cast<long>(authority), rest.end(), isSeparator);
        if (pathStart == rest.end()) return {};
        rest = rest.substr(static_cast<size_t>(pathStart - rest.begin()));
    }
    const auto lastSeparator = std::find_if(rest.rbegin(), rest.rend(), isSeparator);
    return std::string(rest.substr(static_cast<size_t>(rest.rend() - lastSeparator)));
}

}  // namespace core
