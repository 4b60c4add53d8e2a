#include "feed/text/Encoding.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace feed {
namespace {

// Windows-1252 0x80..0x9F; the five unassigned bytes keep their C1 code point.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsUnassigned1252(unsigned char b) {
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// Length of the valid UTF-8 sequence at `pos`, or 0 when it is not one.
size_t Utf8SequenceLength(std::string_view s, size_t pos) {
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) return 1;
    const size_t left = s.size() - pos;
    auto cont = [&](size_t i) { return (static_cast<unsigned char>(s[pos + i]) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF) return (left >= 2 && cont(1)) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (left < 3 || !cont(1) || !cont(2)) return 0;
        const auto b1 = static_cast<unsigned char>(s[pos + 1]);
        if (b0 == 0xE0 && b1 < 0xA0) return 0;   // overlong
        if (b0 == 0xED && b1 >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (left < 4 || !cont(1) || !cont(2) || !cont(3)) return 0;
        const auto b1 = static_cast<unsigned char>(s[pos + 1]);
        if (b0 == 0xF0 && b1 < 0x90) return 0;   // overlong
        if (b0 == 0xF4 && b1 >= 0x90) return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

std::string DecodeCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char b : bytes) {
        if (b < 0x80) out.push_back(static_cast<char>(b));
        else AppendUtf8(out, Cp1252ToUnicode(b));
    }
    return out;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (char32_t(a) << 8 | b) : (char32_t(b) << 8 | a);
    };
    size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t lo = unit(i + 2);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;  // lone surrogate
        AppendUtf8(out, u);
    }
    return out;
}

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

enum class Declared { None, Utf8, Latin };

// The encoding named in an XML declaration at the start of the bytes.
Declared DeclaredEncoding(std::string_view bytes) {
    size_t start = 0;
    while (start < bytes.size() && static_cast<unsigned char>(bytes[start]) <= 32) ++start;
    const std::string_view head = bytes.substr(start, 256);
    if (head.size() < 5 || head[0] != '<' || head[1] != '?') return Declared::None;
    const size_t close = head.find("?>");
    const std::string decl = LowerAscii(head.substr(0, close == std::string_view::npos ? head.size() : close));
    const size_t key = decl.find("encoding");
    if (key == std::string::npos) return Declared::None;
    size_t q = decl.find_first_of("\"'", key);
    if (q == std::string::npos) return Declared::None;
    const size_t end = decl.find(decl[q], q + 1);
    if (end == std::string::npos) return Declared::None;
    std::string name = decl.substr(q + 1, end - q - 1);
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == ' '; }), name.end());
    static const char* const kUtf8[] = {"utf-8", "utf8", "unicode-1-1-utf-8"};
    static const char* const kLatin[] = {
        "windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1", "iso_8859-1", "latin1",
        "latin-1", "l1", "iso-ir-100", "cp819", "ibm819", "us-ascii", "ascii", "iso646-us",
        "ansi_x3.4-1968", "iso-8859-15", "iso8859-15", "latin9", "latin-9"};
    for (const char* n : kUtf8)
        if (name == n) return Declared::Utf8;
    for (const char* n : kLatin)
        if (name == n) return Declared::Latin;
    return Declared::None;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t NextCodePoint(std::string_view text, size_t& pos) {
    const size_t len = Utf8SequenceLength(text, pos);
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (len == 0) {
        ++pos;
        return Cp1252ToUnicode(b0);
    }
    char32_t cp;
    switch (len) {
        case 1: cp = b0; break;
        case 2: cp = b0 & 0x1F; break;
        case 3: cp = b0 & 0x0F; break;
        default: cp = b0 & 0x07; break;
    }
    for (size_t i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    pos += len;
    return cp;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        // Fast path over ASCII, eight bytes at a time.
        while (i + 8 <= n) {
            uint64_t word;
            std::memcpy(&word, bytes.data() + i, 8);
            if (word & 0x8080808080808080ULL) break;
            i += 8;
        }
        if (i >= n) break;
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

char32_t Cp1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
    return byte;
}

int UnicodeToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == cp && !IsUnassigned1252(static_cast<unsigned char>(0x80 + i))) return 0x80 + i;
    }
    return -1;
}

std::string DecodeTextBytes(std::string bytes) {
    const std::string_view view(bytes);
    if (view.substr(0, 3) == "\xEF\xBB\xBF") return EnsureUtf8(bytes.erase(0, 3));
    if (view.substr(0, 2) == "\xFF\xFE") return DecodeUtf16(view.substr(2), false);
    if (view.substr(0, 2) == "\xFE\xFF") return DecodeUtf16(view.substr(2), true);
    // UTF-16 without a mark still shows itself by the zero bytes around "<?".
    if (view.substr(0, 4) == std::string_view("<\0?\0", 4)) return DecodeUtf16(view, false);
    if (view.substr(0, 4) == std::string_view("\0<\0?", 4)) return DecodeUtf16(view, true);
    switch (DeclaredEncoding(view)) {
        case Declared::Utf8: return EnsureUtf8(std::move(bytes));
        case Declared::Latin: return DecodeCp1252(view);
        case Declared::None: break;
    }
    if (IsValidUtf8(view)) return bytes;
    return DecodeCp1252(view);
}

std::string EnsureUtf8(std::string text) {
    if (IsValidUtf8(text)) return text;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t before = pos;
        const char32_t cp = NextCodePoint(text, pos);
        if (pos - before > 1 || cp >= 0x80) AppendUtf8(out, cp);
        else out.push_back(text[before]);
    }
    return out;
}

}  // namespace feed
