// The tag repair: named cases for what it keeps and escapes, and a comparison
// of the linear repair with a plain pass-by-pass version on many texts.

#include "feed/xml/RepairTags.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "feed/text/Dates.h"
#include "feed/text/Encoding.h"

namespace feed {
namespace {

using test::CaseName;

// ---- The repair written as one whole-text pass per step --------------------
// Works on code points; kept tags carry two markers outside Unicode in place of
// their brackets, so characters 1 and 2 of the text stay what they are.

using U = std::u32string;
constexpr char32_t kOpen = 0x110001;
constexpr char32_t kClose = 0x110002;

U ToU(std::string_view s) {
    U out;
    for (size_t i = 0; i < s.size();) out.push_back(NextCodePoint(s, i));
    return out;
}

std::string FromU(const U& u) {
    std::string out;
    for (char32_t c : u) AppendUtf8(out, c);
    return out;
}

char32_t Lower(char32_t c) {
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

bool MatchesNoCase(const U& t, size_t at, std::string_view word) {
    if (at + word.size() > t.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (Lower(t[at + i]) != Lower(static_cast<unsigned char>(word[i]))) return false;
    return true;
}

bool IsWs(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

U RefDropTagBlanks(const U& t) {
    U out;
    size_t i = 0;
    while (i < t.size()) {
        if (t[i] != '<') {
            out.push_back(t[i++]);
            continue;
        }
        if (MatchesNoCase(t, i, "<![CDATA[")) {
            size_t end = t.find(ToU("]]>"), i + 9);
            end = end == U::npos ? t.size() : end + 3;
            out.append(t, i, end - i);
            i = end;
            continue;
        }
        size_t j = i + 1;
        while (j < t.size() && t[j] != '<' && t[j] != '>') ++j;
        if (j == t.size() || t[j] == '<') {
            out.push_back(t[i++]);
            continue;
        }
        U inner = t.substr(i + 1, j - i - 1);
        while (!inner.empty() && inner.front() == ' ') inner.erase(0, 1);
        while (!inner.empty() && inner.back() == ' ') inner.pop_back();
        out += U(1, '<') + inner + U(1, '>');
        i = j + 1;
    }
    return out;
}

// Marks the characters inside CDATA sections, whose markup is text.
std::vector<bool> CdataMask(const U& t) {
    std::vector<bool> inside(t.size(), false);
    for (size_t i = 0; i < t.size(); ++i) {
        if (!MatchesNoCase(t, i, "<![CDATA[")) continue;
        size_t end = t.find(ToU("]]>"), i + 9);
        end = end == U::npos ? t.size() : end + 2;
        for (size_t k = i + 1; k < end; ++k) inside[k] = true;
        i = end;
    }
    return inside;
}

// One pass: every start or end tag of one known name.
void RefPass(U& t, const RepairPass& pass, const std::vector<bool>& cdata) {
    const std::string& name = pass.Name;
    const bool rdf = name == "rdf";
    auto bracket = [&](size_t j) { return (t[j] == '<' || t[j] == '>') && !cdata[j]; };
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '<' || cdata[i]) continue;
        size_t at = i + 1;
        if (pass.EndTag) {
            if (at >= t.size() || t[at] != '/') continue;
            ++at;
        }
        if (!MatchesNoCase(t, at, name)) continue;
        size_t after = at + name.size();
        if (rdf && after < t.size() && t[after] == ':') {
            while (after < t.size() && !IsWs(t[after]) && t[after] != '>' && t[after] != '<' && t[after] != '/')
                ++after;
            if (pass.EndTag ? false : (after >= t.size() || t[after] == '<')) continue;
        }
        if (pass.EndTag) {
            size_t close = after;
            while (close < t.size() && IsWs(t[close])) ++close;
            if (close >= t.size() || t[close] != '>') continue;
            t[i] = kOpen;
            t[close] = kClose;
        } else {
            if (after >= t.size() || !(IsWs(t[after]) || t[after] == '/' || t[after] == '>')) continue;
            size_t j = i + 1;
            while (j < t.size() && !bracket(j)) ++j;
            if (j == t.size() || t[j] == '<') continue;
            t[i] = kOpen;
            t[j] = kClose;
        }
        for (size_t k = 0; k < name.size(); ++k) t[at + k] = static_cast<unsigned char>(name[k]);
    }
}

void RefReplaceAll(U& t, std::string_view what, const U& with, bool anyCase) {
    U out;
    const U w = ToU(what);
    for (size_t i = 0; i < t.size();) {
        if (anyCase ? MatchesNoCase(t, i, what) : t.compare(i, w.size(), w) == 0) {
            out += with;
            i += w.size();
        } else {
            out.push_back(t[i++]);
        }
    }
    t = out;
}

U RefEscape(const U& input) {
    U t;
    for (char32_t c : input) {
        if (c == '<') t += ToU("&lt;");
        else if (c == '>') t += ToU("&gt;");
        else t.push_back(c);
    }
    U out;
    for (size_t i = 0; i < t.size(); ++i) {
        out.push_back(t[i]);
        if (t[i] != '&') continue;
        bool entity = false;
        for (size_t k = i + 1; k < t.size() && k < i + 8; ++k)
            if (t[k] == ';') entity = true;
        if (!entity) out += ToU("amp;");
    }
    U result;
    bool inTag = false;
    for (char32_t c : out) {
        if (c == kOpen) inTag = true;
        if (c == kClose) inTag = false;
        if (c == '\'' && !inTag) result += ToU("&apos;");
        else if (c == kOpen) result.push_back('<');
        else if (c == kClose) result.push_back('>');
        else result.push_back(c);
    }
    return result;
}

std::string RefDates(std::string t, const std::string& open, const std::string& close) {
    size_t p = t.find(open);
    while (p != std::string::npos) {
        const size_t start = p + open.size();
        const size_t q = t.find(close, start);
        if (q != std::string::npos && q - start > 3) {
            const std::string normal = NormalizeRfc822Date(t.substr(start, q - start));
            t.replace(start, q - start, normal);
        }
        p = t.find(open, p + 1);
    }
    return t;
}

std::string ReferenceRepair(std::string_view text) {
    U t = RefDropTagBlanks(ToU(text));
    const std::vector<bool> inCdata = CdataMask(t);
    for (const RepairPass& pass : RepairPasses()) RefPass(t, pass, inCdata);
    RefReplaceAll(t, "</xml>", U(), true);
    bool cdata = false;
    for (size_t i = 0; i < t.size() && !cdata; ++i) cdata = MatchesNoCase(t, i, "<![cdata[");
    if (cdata) {
        RefReplaceAll(t, "<![CDATA[", U(), true);
        RefReplaceAll(t, "]]>", U(), false);
    }
    std::string s = FromU(RefEscape(t));
    s = RefDates(s, "<pubDate>", "</pubDate>");
    return RefDates(s, "<lastBuildDate>", "</lastBuildDate>");
}

// ---- Named cases ------------------------------------------------------------

struct RepairCase {
    std::string name;
    std::string input;
    std::string expected;
};

const std::vector<RepairCase> kRepairCases = {
    {"CanonicalCaseOfKnownTags", "<RSS VERSION=\"2.0\"><CHANNEL><TITLE>x</TITLE></CHANNEL></RSS>",
     "<rss VERSION=\"2.0\"><channel><title>x</title></channel></rss>"},
    {"BlanksInsideTagsDropped", "< title >x</title >", "<title>x</title>"},
    {"GreaterThanInTextKept", "<description>5 > 3</description>", "<description>5 &gt; 3</description>"},
    {"HtmlInDescriptionBecomesText", "<description>a <b>bold</b> word</description>",
     "<description>a &lt;b&gt;bold&lt;/b&gt; word</description>"},
    {"NamespacedLongerNamesAreUnknown", "<item><content:encoded>x</content:encoded><linkage>y</linkage></item>",
     "<item>&lt;content:encoded&gt;x&lt;/content:encoded&gt;&lt;linkage&gt;y&lt;/linkage&gt;</item>"},
    {"FeedBurnerOrigLinkIsText", "<item><feedburner:origLink>u</feedburner:origLink></item>",
     "<item>&lt;feedburner:origLink&gt;u&lt;/feedburner:origLink&gt;</item>"},
    {"AttributesOfExactKindKept", "<feed version=\"0.3\"><title mode=\"escaped\">t</title></feed>",
     "<feed version=\"0.3\"><title mode=\"escaped\">t</title></feed>"},
    {"SingleQuotedAttributeSurvives", "<guid isPermaLink='false'>g</guid>", "<guid isPermaLink='false'>g</guid>"},
    {"ApostropheInTextEscaped", "<title>it's</title>", "<title>it&apos;s</title>"},
    {"UnclosedLinkStartLeftAndEscaped", "<link <title>t</title>", "&lt;link <title>t</title>"},
    {"TagKeptByEarlierPassDoesNotStopLaterOne", "<link <title>>", "<link <title>>"},
    {"StrayAmpersandEscaped", "<title>a & b &amp; c</title>", "<title>a &amp; b &amp; c</title>"},
    {"CdataMarkersRemovedAndContentEscaped", "<description><![CDATA[<p>hi</p>]]></description>",
     "<description>&lt;p&gt;hi&lt;/p&gt;</description>"},
    {"FeedTagNamesInsideCdataAreText",
     "<item><description><![CDATA[<video><source src='v.mp4'/></video><details><summary>More</summary>"
     "</details>]]></description></item>",
     "<item><description>&lt;video&gt;&lt;source src=&apos;v.mp4&apos;/&gt;&lt;/video&gt;&lt;details&gt;"
     "&lt;summary&gt;More&lt;/summary&gt;&lt;/details&gt;</description></item>"},
    {"XmlEndTagRemoved", "<rss></rss></XML>", "<rss></rss>"},
    {"DeclarationKept", "<?xml version=\"1.0\"?><rss/>", "<?xml version=\"1.0\"?><rss/>"},
    {"MarkerPrefixEscaped", "<? xml version=\"1.0\"?>\r\n<rss/>", "&lt;? xml version=\"1.0\"?&gt;\r\n<rss/>"},
    {"RdfRootWithPrefixKept", "<rdf:RDF x=\"1\"><channel></channel></rdf:RDF>",
     "<rdf:RDF x=\"1\"><channel></channel></rdf:RDF>"},
    {"EndTagWithTrailingLineEndKept", "<title>x</title\n>", "<title>x</title\n>"},
    {"ControlCharactersStayThemselves", "<title>a\x01" "b\x02</title>", "<title>a\x01" "b\x02</title>"},
    {"ShortPubDateLeftAlone", "<pubDate>abc</pubDate>", "<pubDate>abc</pubDate>"},
    {"NonDatePubDateTrimmed", "<pubDate>  soon  </pubDate>", "<pubDate>soon</pubDate>"},
    {"EmptyText", "", ""},
};

class RepairTagsTest : public testing::TestWithParam<RepairCase> {};

TEST_P(RepairTagsTest, RepairsAsExpected) {
    const RepairCase& c = GetParam();
    EXPECT_EQ(RepairTags(c.input), c.expected);
    EXPECT_EQ(ReferenceRepair(c.input), c.expected) << "the pass-by-pass version disagrees";
}

INSTANTIATE_TEST_SUITE_P(Repair, RepairTagsTest, testing::ValuesIn(kRepairCases), CaseName<RepairCase>);

TEST(RepairDatesTest, PubDateKeepsItsInstantInLocalTime) {
    test::ScopedTimeZone zone(test::kPlusTwo);
    EXPECT_EQ(RepairTags("<pubDate>Tue, 01 Jun 2004 10:00:00 GMT</pubDate>"),
              "<pubDate>Tue, 1 Jun 2004 12:00:00 +0200</pubDate>");
    EXPECT_EQ(RepairTags("<lastBuildDate>Tue, 01 Jun 2004 10:00:00</lastBuildDate>"),
              "<lastBuildDate>Tue, 1 Jun 2004 10:00:00 +0200</lastBuildDate>");
}

// ---- The linear repair against the passes ------------------------------------

std::string RandomFeedText(std::mt19937& rng) {
    static const std::vector<std::string> kTokens = {
        "<", ">", "< ", " >", "</", "/>", " ", "  ", "\r\n", "\t", "'", "\"", "&", "&amp;", "&#233;", "&x",
        ";", "text", "5 > 3", "a < b", "é", "€", "漢", "😀", "\x01", "\x02", "<![CDATA[", "]]>", "</xml>",
        "</XML>", "<?xml version=\"1.0\"?>", "<? xml version=\"1.0\"?>", "<b>", "</b>", "<br/>",
        "<content:encoded>", "</content:encoded>", "<linkage>", "<rdf:RDF>", "</rdf:RDF>", "<rdf>", "</rdf>",
        " attr=\"v\"", " a='q'", "Tue, 01 Jun 2004 10:00:00 GMT", "2004-06-01T10:00:00Z", "<pubDate>",
        "</pubDate>", "<PUBDATE>", "<lastBuildDate>", "</lastBuildDate>", "<title mode=\"x\">", "<LINK",
        "<link href='u'/>", "<Item>", "</ITEM>", "<url>", "</url>", "<entry>", "</Entry>", "<![cdata[",
        "</title >", "</title\n>", "<channel", "<rss version=\"2.0\">", "</rss>"};
    static const std::vector<std::string> kNames = {
        "rss", "channel", "title", "link", "description", "pubDate", "lastBuildDate", "item", "url",
        "guid", "source", "feed", "entry", "summary", "content", "name", "email", "image", "skipHours",
        "hour", "day", "rdf", "?xml", "linkage", "b", "titles"};
    std::uniform_int_distribution<size_t> len(0, 60);
    std::string out;
    const size_t n = len(rng);
    for (size_t i = 0; i < n; ++i) {
        switch (rng() % 4) {
            case 0: {
                std::string name = kNames[rng() % kNames.size()];
                for (char& c : name)
                    if (rng() % 3 == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                out += (rng() % 2 ? "</" : "<") + name + (rng() % 3 == 0 ? " " : "") + (rng() % 4 ? ">" : "");
                break;
            }
            default: out += kTokens[rng() % kTokens.size()]; break;
        }
    }
    return out;
}

TEST(RepairDifferentialTest, LinearRepairMatchesPassesOnGeneratedTexts) {
    test::ScopedTimeZone zone(test::kBerlin);
    std::mt19937 rng(20261211);
    for (int i = 0; i < 4000; ++i) {
        const std::string text = RandomFeedText(rng);
        ASSERT_EQ(RepairTags(text), ReferenceRepair(text)) << "input #" << i << ": " << text;
    }
}

TEST(RepairDifferentialTest, LinearRepairMatchesPassesOnAWholeFeed) {
    const std::string feed =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<RSS version='2.0'>\r\n<Channel>\r\n"
        "<TITLE>Café & Co</TITLE>\r\n<link>http://example.com/?a=1&b=2</link>\r\n"
        "<description><![CDATA[<p>News <b>today</b></p>]]></description>\r\n"
        "<image><url>http://example.com/logo.png</url><width>88</width></image>\r\n"
        "<item><title>One</title><PubDate>Tue, 01 Jun 2004 10:00:00 GMT</PubDate>"
        "<content:encoded><![CDATA[<div class='x'>5 > 3</div>]]></content:encoded>"
        "<guid isPermaLink='false'>1</guid></item>\r\n</Channel>\r\n</RSS>\r\n";
    EXPECT_EQ(RepairTags(feed), ReferenceRepair(feed));
}

}  // namespace
}  // namespace feed

namespace feed {
namespace {

std::string NestedDates(int depth, const std::string& each) {
    std::string text = "<item>";
    for (int i = 0; i < depth; ++i) text += "<pubDate>" + each;
    return text + "</pubDate></item>";
}

TEST(RepairDatesTest, NestedDateTagsAreRewrittenInTurn) {
    test::ScopedTimeZone zone(test::kUtc);
    for (const std::string& each : {std::string(" x "), std::string("Tue, 01 Jun 2004 10:00:00 GMT "), std::string("")}) {
        SCOPED_TRACE(each);
        for (int depth : {1, 2, 7, 40, 200}) {  // the deepest regions are too long to be dates
            const std::string text = NestedDates(depth, each);
            EXPECT_EQ(RepairTags(text), ReferenceRepair(text)) << "depth " << depth;
        }
    }
}

TEST(RepairDatesTest, DeeplyNestedDateTagsStayTractable) {
    // Each level's date region holds all deeper ones; rewriting them one after
    // the other must not copy the rest of the text each time.
    const std::string text = NestedDates(200000, " x ");
    const std::string repaired = RepairTags(text);
    EXPECT_EQ(repaired.size(), text.size() - 200000);  // one blank trimmed at each level
}

}  // namespace
}  // namespace feed
