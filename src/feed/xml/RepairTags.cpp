// The tag repair runs in these steps:
//   1      blanks right after "<" and before ">" of a tag go;
//   2 to 6 known tags are marked as kept, pass by pass in the order of RepairPasses();
//   7      every "</xml>" goes;
//   8      CDATA brackets go, when the text has any;
//   9, 10  all other markup is escaped and the kept tags become real tags again;
//   11     the dates of pubDate and lastBuildDate are normalised.
// Each step is one linear pass; together they give what one whole-text
// replacement per name and step would give.

#include "feed/xml/RepairTags.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "feed/text/Dates.h"
#include "feed/text/Scan.h"
#include "feed/text/TextRoutines.h"

namespace feed {
namespace {

// Kept tags carry these two bytes in place of their angle brackets until the
// escaping is done; neither can occur in UTF-8 text.
constexpr char kOpen = '\xFE';
constexpr char kClose = '\xFF';

bool IsBlankOrLineEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<RepairPass> MakePasses() {
    static const char* const kGroup1Start[] = {
        "?xml", "rss", "channel", "title", "link", "description", "language", "copyright", "managingEditor",
        "webMaster", "pubDate", "lastBuildDate", "category", "generator", "docs", "cloud", "ttl", "rating",
        "textInput", "skipHours", "hour", "skipDays", "day", "image", "url", "width", "height", "item", "author",
        "comments", "enclosure", "guid", "source"};
    static const char* const kGroup2[] = {"name",     "url",   "email",  "feed",    "contributor",
                                          "tagline",  "id",    "info",   "modified", "entry",
                                          "issued",   "created", "summary", "content"};
    std::vector<RepairPass> passes;
    for (const char* n : kGroup1Start) passes.push_back({false, n});
    for (size_t i = 1; i < std::size(kGroup1Start); ++i) passes.push_back({true, kGroup1Start[i]});
    for (const char* n : kGroup2) passes.push_back({false, n});
    for (const char* n : kGroup2) passes.push_back({true, n});
    passes.push_back({false, "rdf"});
    passes.push_back({true, "rdf"});
    return passes;
}

// The first '<' or '>' at or after `from`, or the end of the text.
size_t NextBracket(const std::string& text, size_t from) {
    static constexpr char kBrackets[] = {'<', '>'};
    return FindAnyOf(text.data(), from, text.size(), kBrackets);
}

// Step one: blanks right after "<" and right before ">" of a tag go; a CDATA
// section and angle brackets that close no tag are left as written. Works in
// place, since it only ever removes characters.
void DropTagBlanks(std::string& text) {
    char* p = text.data();
    const size_t n = text.size();
    size_t w = 0;  // write position; everything before it is final
    size_t r = 0;  // read position
    auto keep = [&](size_t from, size_t to) {
        if (w != from) std::memmove(p + w, p + from, to - from);
        w += to - from;
    };
    while (r < n) {
        const void* hit = std::memchr(p + r, '<', n - r);
        const size_t lt = hit ? static_cast<size_t>(static_cast<const char*>(hit) - p) : n;
        keep(r, lt);
        if (lt == n) break;
        if (n - lt >= 9 && SameText(std::string_view(p + lt, 9), "<![CDATA[")) {
            const size_t end = text.find("]]>", lt + 9);
            const size_t stop = end == std::string::npos ? n : end + 3;
            keep(lt, stop);
            r = stop;
            continue;
        }
        const size_t j = NextBracket(text, lt + 1);
        if (j == n || p[j] == '<') {
            keep(lt, lt + 1);
            r = lt + 1;
            continue;
        }
        size_t b = lt + 1;
        while (b < j && p[b] == ' ') ++b;
        size_t e = j;
        while (e > b && p[e - 1] == ' ') --e;
        keep(lt, lt + 1);
        keep(b, e);
        keep(j, j + 1);
        r = j + 1;
    }
    text.resize(w);
}

// Lower-case key of a tag name, for the lookup of known names.
struct NameTable {
    struct Entry {
        std::string Lower;
        std::string Canonical;
        std::vector<uint16_t> Passes;
    };
    std::vector<Entry> Start;
    std::vector<Entry> End;

    NameTable() {
        const auto& passes = RepairPasses();
        for (size_t i = 0; i < passes.size(); ++i) {
            auto& list = passes[i].EndTag ? End : Start;
            std::string lower = passes[i].Name;
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            Entry* found = nullptr;
            for (Entry& e : list)
                if (e.Lower == lower) found = &e;
            if (!found) {
                list.push_back({lower, passes[i].Name, {}});
                found = &list.back();
            }
            found->Passes.push_back(static_cast<uint16_t>(i));
        }
    }

    const Entry* Find(const std::vector<Entry>& list, std::string_view token) const {
        if (token.size() > 3 && (token[3] == ':') && SameText(token.substr(0, 3), "rdf")) token = token.substr(0, 3);
        if (token.size() < 2 || token.size() > 15) return nullptr;
        char lower[16];
        for (size_t i = 0; i < token.size(); ++i) {
            const char c = token[i];
            lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
        const std::string_view key(lower, token.size());
        for (const Entry& e : list)
            if (e.Lower.size() == key.size() && e.Lower[0] == key[0] && e.Lower == key) return &e;
        return nullptr;
    }
};

const NameTable& Names() {
    static const NameTable table;
    return table;
}

struct Candidate {
    uint32_t Bracket;   // index of its '<' among the brackets
    uint32_t NamePos;   // where the name starts in the text
    const NameTable::Entry* Name;
    bool EndTag;
};

// Steps two to six: decides which brackets belong to kept tags, in the order
// of the passes, and marks them in place.
void MarkKnownTags(std::string& text) {
    // Markup inside a CDATA section is text: its brackets take no part.
    std::vector<uint32_t> brackets;
    for (size_t i = NextBracket(text, 0); i < text.size(); i = NextBracket(text, i + 1)) {
        brackets.push_back(static_cast<uint32_t>(i));
        if (text[i] == '<' && text.size() - i >= 9 && SameText(std::string_view(text).substr(i, 9), "<![CDATA[")) {
            const size_t end = text.find("]]>", i + 9);
            if (end == std::string::npos) break;
            brackets.push_back(static_cast<uint32_t>(end + 2));
            i = end + 2;
        }
    }
    const size_t m = brackets.size();
    const NameTable& names = Names();
    const size_t passCount = RepairPasses().size();
    std::vector<std::vector<Candidate>> byPass(passCount);

    for (size_t k = 0; k < m; ++k) {
        const size_t p = brackets[k];
        if (text[p] != '<') continue;
        if (p + 1 < text.size() && text[p + 1] == '/') {
            size_t e = p + 2;
            while (e < text.size() && !IsBlankOrLineEnd(text[e]) && text[e] != '>' && text[e] != '<' && text[e] != '/')
                ++e;
            size_t close = e;
            while (close < text.size() && IsBlankOrLineEnd(text[close])) ++close;
            if (close >= text.size() || text[close] != '>' || e == p + 2) continue;
            const auto* entry = names.Find(names.End, std::string_view(text).substr(p + 2, e - p - 2));
            if (!entry) continue;
            for (uint16_t pass : entry->Passes)
                byPass[pass].push_back({static_cast<uint32_t>(k), static_cast<uint32_t>(p + 2), entry, true});
        } else {
            size_t e = p + 1;
            while (e < text.size() && !IsBlankOrLineEnd(text[e]) && text[e] != '>' && text[e] != '<' && text[e] != '/')
                ++e;
            if (e >= text.size() || text[e] == '<' || e == p + 1) continue;
            const auto* entry = names.Find(names.Start, std::string_view(text).substr(p + 1, e - p - 1));
            if (!entry) continue;
            for (uint16_t pass : entry->Passes)
                byPass[pass].push_back({static_cast<uint32_t>(k), static_cast<uint32_t>(p + 1), entry, false});
        }
    }

    // next[k]: the first bracket at or after k that is not yet marked (path halving).
    std::vector<uint32_t> next(m + 1);
    for (size_t k = 0; k <= m; ++k) next[k] = static_cast<uint32_t>(k);
    auto findUnmarked = [&](uint32_t k) {
        while (next[k] != k) {
            next[k] = next[next[k]];
            k = next[k];
        }
        return k;
    };
    auto mark = [&](uint32_t k) {
        next[k] = k + 1;
        text[brackets[k]] = text[brackets[k]] == '<' ? kOpen : kClose;
    };
    auto canonical = [&](const Candidate& c) {
        const std::string& name = c.Name->Canonical;
        std::memcpy(&text[c.NamePos], name.data(), name.size());
    };

    for (size_t pass = 0; pass < passCount; ++pass) {
        for (const Candidate& c : byPass[pass]) {
            if (findUnmarked(c.Bracket) != c.Bracket) continue;  // kept by an earlier pass
            if (c.EndTag) {
                mark(c.Bracket);
                mark(c.Bracket + 1);
                canonical(c);
                continue;
            }
            const uint32_t j = findUnmarked(c.Bracket + 1);
            if (j >= m || text[brackets[j]] != '>') continue;
            mark(c.Bracket);
            mark(j);
            canonical(c);
        }
    }
}

// Removes every occurrence of `pattern` (ASCII, any case) in one pass.
void RemoveAll(std::string& text, std::string_view pattern, bool anyCase) {
    const char first = pattern[0];
    std::string out;
    size_t from = 0;
    size_t i = 0;
    bool changed = false;
    while (true) {
        const size_t at = text.find(first, i);
        if (at == std::string::npos) break;
        const std::string_view here = std::string_view(text).substr(at, pattern.size());
        if (here.size() == pattern.size() && (anyCase ? SameText(here, pattern) : here == pattern)) {
            if (!changed) {
                out.reserve(text.size());
                changed = true;
            }
            out.append(text, from, at - from);
            from = i = at + pattern.size();
        } else {
            i = at + 1;
        }
    }
    if (!changed) return;
    out.append(text, from, std::string::npos);
    text.swap(out);
}

bool ContainsNoCase(std::string_view text, std::string_view pattern) {
    for (size_t at = text.find(pattern[0]); at != std::string_view::npos; at = text.find(pattern[0], at + 1))
        if (text.size() - at >= pattern.size() && SameText(text.substr(at, pattern.size()), pattern)) return true;
    return false;
}

// Steps nine and ten: escape what is left of markup and turn the kept tags
// back into real ones. Inside a kept tag, quotes stay as written.
std::string EscapeRemaining(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    bool inTag = false;
    size_t from = 0;
    const size_t n = text.size();
    static constexpr char kSet[] = {'<', '>', '&', '\'', kOpen, kClose};
    for (size_t i = FindAnyOf(text.data(), 0, n, kSet); i < n; i = FindAnyOf(text.data(), i + 1, n, kSet)) {
        const char* rep;
        switch (text[i]) {
            case '<': rep = "&lt;"; break;
            case '>': rep = "&gt;"; break;
            case '&':
                if (AmpersandStartsEntity(text, i)) continue;
                rep = "&amp;";
                break;
            case '\'':
                if (inTag) continue;
                rep = "&apos;";
                break;
            case kOpen:
                inTag = true;
                rep = "<";
                break;
            default:  // kClose
                inTag = false;
                rep = ">";
                break;
        }
        out.append(text, from, i - from);
        out += rep;
        from = i + 1;
    }
    out.append(text, from, std::string_view::npos);
    return out;
}

// Step eleven for one element name. A date region may hold further start tags
// of the same name; those are looked at in the rewritten region in turn, and
// all of them end at the same end tag. Regions too long to be dates are only
// trimmed, which needs no copy, so nesting costs no more than a single pass.
std::string NormalizeDates(std::string text, std::string_view open, std::string_view close) {
    if (text.find(open) == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    const std::string_view src(text);
    size_t pos = 0;
    for (;;) {
        const size_t p = src.find(open, pos);
        if (p == std::string_view::npos) break;
        const size_t start = p + open.size();
        const size_t q = src.find(close, start);
        if (q == std::string_view::npos) break;
        out.append(src, pos, start - pos);
        pos = start;
        if (q - start <= 3) continue;
        std::string owned;
        std::string_view region = src.substr(start, q - start);
        for (;;) {
            std::string normal;
            std::string_view rewritten;
            if (TrimControls(region).size() > kLongestDateText) {
                rewritten = TrimControls(region);
            } else {
                normal = NormalizeRfc822Date(region);
                rewritten = normal;
            }
            const size_t inner = rewritten.find(open);
            if (inner == std::string_view::npos) {
                out.append(rewritten);
                break;
            }
            const size_t innerStart = inner + open.size();
            out.append(rewritten, 0, innerStart);
            region = rewritten.substr(innerStart);
            if (region.size() <= 3) {
                out.append(region);
                break;
            }
            if (!normal.empty()) {
                owned.assign(region);  // short: the normalised text is about to go
                region = owned;
            }
        }
        pos = q;
    }
    out.append(src, pos, std::string_view::npos);
    return out;
}

// Step eleven for both names in one pass. Taking pubDate first and
// lastBuildDate after makes a difference only when a date holds markup; then
// the two passes run one after the other.
std::string NormalizeAllDates(std::string text) {
    static constexpr std::string_view kTags[2][2] = {{"<pubDate>", "</pubDate>"},
                                                     {"<lastBuildDate>", "</lastBuildDate>"}};
    // First every date that changes, then one copy of the text of exactly the new size.
    struct Change {
        size_t Start;
        size_t End;
        std::string Text;
    };
    std::vector<Change> changes;
    long long growth = 0;
    const char* p = text.data();
    const size_t n = text.size();
    size_t at = 0;
    bool unclosed[2] = {false, false};  // no end tag of that name is left
    while (at < n) {
        const void* hit = std::memchr(p + at, '<', n - at);
        if (!hit) break;
        const size_t lt = static_cast<size_t>(static_cast<const char*>(hit) - p);
        at = lt + 1;
        for (int k = 0; k < 2; ++k) {
            const auto& tag = kTags[k];
            if (unclosed[k] || n - lt < tag[0].size() || std::memcmp(p + lt, tag[0].data(), tag[0].size()) != 0)
                continue;
            const size_t start = lt + tag[0].size();
            const void* next = std::memchr(p + start, '<', n - start);
            const size_t q = next ? static_cast<size_t>(static_cast<const char*>(next) - p) : n;
            if (q == n || n - q < tag[1].size() || std::memcmp(p + q, tag[1].data(), tag[1].size()) != 0) {
                // The date holds markup, or is never closed: the plain passes decide.
                if (text.find(tag[1], start) == std::string::npos) {
                    unclosed[k] = true;
                    break;
                }
                text = NormalizeDates(std::move(text), "<pubDate>", "</pubDate>");
                return NormalizeDates(std::move(text), "<lastBuildDate>", "</lastBuildDate>");
            }
            if (q - start > 3) {
                const std::string_view date(p + start, q - start);
                std::string normal = NormalizeRfc822Date(date);
                if (normal != date) {
                    growth += static_cast<long long>(normal.size()) - static_cast<long long>(date.size());
                    changes.push_back({start, q, std::move(normal)});
                }
            }
            at = q;
            break;
        }
    }
    if (changes.empty()) return text;
    std::string out;
    out.reserve(static_cast<size_t>(static_cast<long long>(n) + growth));
    size_t pos = 0;
    for (const Change& c : changes) {
        out.append(p + pos, c.Start - pos);
        out += c.Text;
        pos = c.End;
    }
    out.append(p + pos, n - pos);
    return out;
}

}  // namespace

const std::vector<RepairPass>& RepairPasses() {
    static const std::vector<RepairPass> passes = MakePasses();
    return passes;
}

std::string RepairTags(std::string text) {
    DropTagBlanks(text);
    MarkKnownTags(text);
    if (ContainsNoCase(text, "</xml>")) RemoveAll(text, "</xml>", true);
    if (ContainsNoCase(text, "<![cdata[")) {
        RemoveAll(text, "<![CDATA[", true);
        RemoveAll(text, "]]>", false);
    }
    std::string escaped = EscapeRemaining(text);
    std::string().swap(text);  // the marked text is no longer needed: give its memory back
    return NormalizeAllDates(std::move(escaped));
}

}  // namespace feed
