#include "feed/text/TextRoutines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cctype>
#include <optional>

#include "feed/text/Encoding.h"

#ifndef QUORVANE_FILE_VERSION
#define QUORVANE_FILE_VERSION "1.0.2.0"
#endif

namespace feed {
namespace {

char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

void AppendRef(std::string& out, unsigned long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out += "&#";
    out.append(digits, end);
    out += ';';
}

// Characters that can take part in the spelling of a reference; a decoded
// character of this set may form a new reference with its neighbours.
bool CanFormReference(char32_t c) {
    return c == '&' || c == '#' || c == ';' || (c < 128 && std::isxdigit(static_cast<int>(c))) || c == 'x' ||
           c == 'X';
}

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    return true;
}

int IndexOfText(std::string_view text, const std::vector<std::string>& list) {
    for (size_t i = 0; i < list.size(); ++i)
        if (SameText(text, list[i])) return static_cast<int>(i);
    return -1;
}

std::string EncodeNumericRefs(std::string_view text) {
    static const auto kEncoded = [] {
        std::array<bool, 256> t{};
        for (int b = 0; b < 256; ++b) t[static_cast<size_t>(b)] = b <= 9 || b == 11 || b == 12 || b >= 127;
        return t;
    }();
    std::string out;
    out.reserve(text.size() + 16);
    size_t from = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const auto b = static_cast<unsigned char>(text[pos]);
        if (!kEncoded[b]) {
            ++pos;
            continue;
        }
        out.append(text, from, pos - from);
        if (b < 0x80) {
            AppendRef(out, b);
            ++pos;
        } else {
            const char32_t cp = NextCodePoint(text, pos);
            const int cp1252 = UnicodeToCp1252(cp);
            AppendRef(out, cp1252 >= 0 ? static_cast<unsigned long>(cp1252) : static_cast<unsigned long>(cp));
        }
        from = pos;
    }
    out.append(text, from, std::string_view::npos);
    return out;
}

std::optional<unsigned long> ReferenceValue(std::string_view digits) {
    bool hex = false;
    if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
        hex = true;
        digits.remove_prefix(1);
    }
    if (digits.empty()) return std::nullopt;
    unsigned long value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
        if (value > 0x10FFFF) value = 0x110000;  // names no character; stop growing
    }
    return value;
}

std::optional<char32_t> ReferencedCharacter(unsigned long value) {
    if (value < 128) return static_cast<char32_t>(value);
    if (value < 160) {
        const char32_t c = Cp1252ToUnicode(static_cast<unsigned char>(value));
        if (c < 0xA0) return std::nullopt;  // unassigned in the code page
        return c;
    }
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return static_cast<char32_t>(value);
}

NumericRef ReadNumericRef(std::string_view ref) {
    // ref is "&#" digits ";"
    const bool shortForm = ref.size() >= 5 && ref.size() <= 8;
    const std::optional<unsigned long> value = ReferenceValue(ref.substr(2, ref.size() - 3));
    if (!value || (!shortForm && *value <= 255)) return {NumericRef::Text, 0};
    const std::optional<char32_t> c = ReferencedCharacter(*value);
    if (!c) return {NumericRef::Text, 0};
    return {NumericRef::Char, *c};
}

namespace {

// One left-to-right pass that replaces each reference where it stands. When
// `exact` is set it gives up (nothing) on the only inputs where that could
// differ from the whole-text passes: a decoded character that could spell a
// new reference.
std::optional<std::string> DecodeWhereTheyStand(std::string_view text, bool exact) {
    size_t amp = text.find("&#");
    if (amp == std::string_view::npos) return std::string(text);
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    size_t semi = 0;  // the first ';' after the last "&#" looked at, reused while it lies ahead
    while (amp != std::string_view::npos) {
        if (semi < amp + 2) {
            semi = text.find(';', amp + 2);
            if (semi == std::string_view::npos) break;
        }
        const size_t distance = semi - amp;
        if (distance >= 4) {
            const std::string_view ref = text.substr(amp, distance + 1);
            const NumericRef r = ReadNumericRef(ref);
            if (exact && r.What == NumericRef::Char && CanFormReference(r.Value)) return std::nullopt;
            if (r.What == NumericRef::Char) {
                out.append(text, copied, amp - copied);
                AppendUtf8(out, r.Value);
                copied = semi + 1;
                amp = text.find("&#", semi + 1);
                continue;
            }
        }
        amp = text.find("&#", amp + 1);
    }
    out.append(text, copied, std::string_view::npos);
    return out;
}

}  // namespace

std::string DecodeNumericRefsByPasses(std::string_view input) {
    std::string text(input);
    // Whole-text passes cost the length of the text each. A text built to need
    // one pass per reference would take quadratic time, so past this budget the
    // rest is decoded in one pass, each reference where it stands; no real feed
    // comes near it.
    long long budget = 64LL * static_cast<long long>(text.size()) + (1LL << 22);
    size_t amp = text.find("&#");
    while (amp != std::string::npos) {
        const size_t semi = text.find(';', amp + 2);
        if (semi == std::string::npos) break;
        const size_t distance = semi - amp;
        if (distance >= 4) {
            const std::string ref = text.substr(amp, distance + 1);
            const NumericRef r = ReadNumericRef(ref);
            if (r.What == NumericRef::Char) {
                budget -= static_cast<long long>(text.size());
                if (budget < 0) return text.substr(0, amp) + *DecodeWhereTheyStand(std::string_view(text).substr(amp), false);
                std::string c;
                AppendUtf8(c, r.Value);
                std::string result;
                size_t from = 0;
                for (size_t at = 0; at + ref.size() <= text.size();) {
                    if (text[at] == '&' && SameText(std::string_view(text).substr(at, ref.size()), ref)) {
                        result.append(text, from, at - from);
                        result += c;
                        at += ref.size();
                        from = at;
                    } else {
                        ++at;
                    }
                }
                result.append(text, from, std::string::npos);
                text.swap(result);
            }
        }
        amp = text.find("&#", amp + 1);
    }
    return text;
}

std::string DecodeNumericRefs(std::string_view text) {
    if (auto fast = DecodeWhereTheyStand(text, true)) return std::move(*fast);
    // Characters that could spell a new reference take the slow road, so the
    // outcome is exactly that of the replace passes.
    return DecodeNumericRefsByPasses(text);
}

bool AmpersandStartsEntity(std::string_view text, size_t amp) {
    int offset = 1;
    for (size_t p = amp + 1; p < text.size() && offset < 8; ++p) {
        const auto c = static_cast<unsigned char>(text[p]);
        if (c == ';') return true;
        if (c == '<' || c == '>') return offset + 3 < 8;  // its "&lt;" or "&gt;" ends in a ';'
        if ((c & 0xC0) != 0x80) ++offset;                // continuation bytes belong to the character before
    }
    return false;
}

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += AmpersandStartsEntity(text, i) ? "&" : "&amp;"; break;
            case '\'': out += "&apos;"; break;
            default: out.push_back(text[i]); break;
        }
    }
    return out;
}

bool BooleanText(std::string_view text, bool fallback) {
    if (SameText(text, "true")) return true;
    if (SameText(text, "false")) return false;
    std::string_view digits = text;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    if (digits.empty()) return fallback;
    bool zero = true;
    for (char c : digits) {
        if (c < '0' || c > '9') return fallback;
        zero = zero && c == '0';
    }
    return !zero;
}

std::string_view TrimControls(std::string_view text) {
    size_t b = 0;
    size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    return text.substr(b, e - b);
}

std::string FileVersionText(std::string_view name) {
    if (name == "FileVersion" || name == "ProductVersion") return QUORVANE_FILE_VERSION;
    if (name == "ProductName") return "Quorvane";
    return {};
}

}  // namespace feed
