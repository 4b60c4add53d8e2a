// Quoting, padding, the description display form, the two renderings of
// XML for the source view, the language list, the version number and the
// document part of web addresses.

#include "core/TextHelpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/ProgramFolder.h"
#include "feed/FeedModel.h"

namespace core {
namespace {

struct TextCase {
    std::string name;
    std::string input;
    std::string expected;
};

std::string CaseName(const testing::TestParamInfo<TextCase>& info) {
    return info.param.name;
}

// ---- Quotes and zeros ---------------------------------------------------------

TEST(DoubleQuotesTest, DoublesEveryQuote) {
    EXPECT_EQ(DoubleQuotes(R"(say "hi", "")"), R"(say ""hi"", """")");
    EXPECT_EQ(DoubleQuotes("no quotes"), "no quotes");
    EXPECT_EQ(DoubleQuotes(""), "");
}

TEST(PadZerosTest, PadsToLength) {
    struct Case {
        const char* name;
        const char* text;
        int length;
        const char* expected;
    };
    const Case cases[] = {
        {"OneDigit", "5", 2, "05"},
        {"AlreadyLongEnough", "123", 2, "123"},
        {"ExactLength", "12", 2, "12"},
        {"Empty", "", 3, "000"},
        {"ZeroLength", "7", 0, "7"},
        {"NegativeLength", "7", -4, "7"},
        {"CountsCharactersNotBytes", "\xC3\xA9", 2, "0\xC3\xA9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PadZeros(c.text, c.length), c.expected);
    }
}

// ---- Description display form -------------------------------------------------

class NormalizeLineBreaksTest : public testing::TestWithParam<TextCase> {};

TEST_P(NormalizeLineBreaksTest, Normalizes) {
    const std::string once = NormalizeLineBreaks(GetParam().input);
    EXPECT_EQ(once, GetParam().expected);
    // Showing a description that was stored in display form changes nothing.
    EXPECT_EQ(NormalizeLineBreaks(once), once);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, NormalizeLineBreaksTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"Empty", "", ""},
        {"PlainText", "no breaks here", "no breaks here"},
        {"CrLfBecomesBreak", "a\r\nb", "a<br>\r\nb"},
        {"XhtmlBreak", "x<br />y", "x<br>\r\ny"},
        {"ShortXhtmlBreakUpperCase", "x<BR/>y", "x<br>\r\ny"},
        {"BreakCaseIsLowered", "x<Br>y", "x<br>\r\ny"},
        {"BreakFollowedByCrLfKeepsOneLine", "a<br>\r\nb", "a<br>\r\nb"},
        {"BreakFollowedByLf", "a<BR>\nb", "a<br>\r\nb"},
        {"BreakFollowedByCr", "a<br>\rb", "a<br>\r\nb"},
        {"BreakSwallowsChainOfLineEnds", "a<br>\r\n\r\nb", "a<br>\r\nb"},
        {"LoneCrAndLf", "a\rb\nc", "a<br>\r\nb<br>\r\nc"},
        {"TwoCrLfs", "a\r\n\r\nb", "a<br>\r\n<br>\r\nb"},
        {"Paragraphs", "<P>one</P>two", "<br>\r\none<br>\r\n<br>\r\ntwo"},
        {"OtherTagsUntouched", "<pre>x</pre><b>y</b>", "<pre>x</pre><b>y</b>"},
        {"BreakAtEnd", "end<br/>", "end<br>\r\n"},
    }),
    CaseName);

// ---- Coloured source (RTF) ----------------------------------------------------

const std::string kHeader =
    R"({\rtf1\ansi\ansicpg1252\deff0\deflang1033{\fonttbl{\f0\fswiss\fprq2\fcharset0 Arial;}{\f1\fswiss\fcharset0 Arial;}})"
    R"({\colortbl ;\red255\green0\blue0;\red0\green255\blue0;\red0\green0\blue128;\red128\green0\blue0;\red128\green0\blue128;\red0\green255\blue255;})"
    R"(\viewkind4\uc1\pard\cf0\f0\fs20 )";

const std::string kSmallFeed =
    "<rss version=\"2.0\">\r\n"
    "<channel>\r\n"
    "<title>A {b} \\c</title>\r\n"
    "<item><title>x</title></item>\r\n"
    "<image><url>u</url></image>\r\n"
    "</channel>\r\n"
    "</rss>";

TEST(XmlToRtfTest, ColouredSmallFeed) {
    const std::string expected = kHeader +
                                 "\\b\\cf4 <rss version=\"2.0\">\\cf0\\b0 \\par \r\n"
                                 "\\b\\cf5 <channel>\\cf0\\b0 \\par \r\n"
                                 "\\b\\cf3 <title>\\cf0\\b0 A \\{b\\} \\\\c\\b\\cf3 </title>\\cf0\\b0 \\par \r\n"
                                 "\\b\\cf1 <item>\\cf0\\b0 \\b\\cf3 <title>\\cf0\\b0 x\\b\\cf3 </title>\\cf0\\b0 "
                                 "\\b\\cf1 </item>\\cf0\\b0 \\par \r\n"
                                 "\\b\\cf2 <image>\\cf0\\b0 \\b\\cf3 <url>\\cf0\\b0 u\\b\\cf3 </url>\\cf0\\b0 "
                                 "\\b\\cf2 </image>\\cf0\\b0 \\par \r\n"
                                 "\\b\\cf5 </channel>\\cf0\\b0 \\par \r\n"
                                 "\\b\\cf4 </rss>\\cf0\\b0 }";
    EXPECT_EQ(XmlToRtf(kSmallFeed, true), expected);
}

TEST(XmlToRtfTest, PlainSmallFeed) {
    const std::string expected = kHeader +
                                 "<rss version=\"2.0\">\\par \r\n"
                                 "<channel>\\par \r\n"
                                 "<title>A \\{b\\} \\\\c</title>\\par \r\n"
                                 "<item><title>x</title></item>\\par \r\n"
                                 "<image><url>u</url></image>\\par \r\n"
                                 "</channel>\\par \r\n"
                                 "</rss>}";
    EXPECT_EQ(XmlToRtf(kSmallFeed, false), expected);
}

TEST(XmlToRtfTest, ColourCases) {
    struct Case {
        const char* name;
        std::string input;
        std::string body;
    };
    const Case cases[] = {
        {"Empty", "", ""},
        {"ItemWithAttributesStaysNavy", "<item a=\"1\">", "\\b\\cf3 <item a=\"1\">\\cf0\\b0 "},
        {"RssPrefixIsMaroonWhateverFollows", "<rssx>", "\\b\\cf4 <rssx>\\cf0\\b0 "},
        {"LessThanInsideTagCopied", "<a b=\"<\">", "\\b\\cf3 <a b=\"<\">\\cf0\\b0 "},
        {"GreaterThanOutsideTagCopied", "5 > 3", "5 > 3"},
        {"UnclosedTagAtEnd", "<item", "\\b\\cf3 <item"},
        {"ItemInUpperCaseStaysNavy", "<ITEM>", "\\b\\cf3 <ITEM>\\cf0\\b0 "},
        {"LoneCarriageReturn", "a\rb", "a\\par \rb"},
        {"LineFeedAloneEndsLine", "a\nb", "a\\par \nb"},
        {"EscapesInAttribute", "<a x=\"{\\}\">", "\\b\\cf3 <a x=\"\\{\\\\\\}\">\\cf0\\b0 "},
        // Text that spells a colour code must come out as written.
        {"ColourCodeInAttributeUntouched", "<a x=\"\\cf3 <item>\">",
         "\\b\\cf3 <a x=\"\\\\cf3 <item>\\cf0\\b0 \">"},
        {"Utf8Copied", "<t>\xC3\xA9</t>", "\\b\\cf3 <t>\\cf0\\b0 \xC3\xA9\\b\\cf3 </t>\\cf0\\b0 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(XmlToRtf(c.input, true), kHeader + c.body + "}");
    }
}

TEST(XmlToRtfTest, PlainKeepsTextThatSpellsColourCodes) {
    EXPECT_EQ(XmlToRtf("\\cf3 <item>", false), kHeader + "\\\\cf3 <item>}");
}

// The rendering done the slow, obvious way: escapes, a character loop, then
// one replace-all per recoloured tag over the whole output.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string SlowXmlToRtf(std::string xml, bool colour) {
    xml = ReplaceAll(xml, "\\", "\\\\");
    xml = ReplaceAll(xml, "{", "\\{");
    xml = ReplaceAll(xml, "}", "\\}");
    std::string out = kHeader;
    bool inTag = false;
    for (const char c : xml) {
        if (c == '\r') out += "\\par \r";
        else if (colour && c == '<' && !inTag) out += "\\b\\cf3 <", inTag = true;
        else if (colour && c == '>' && inTag) out += ">\\cf0\\b0 ", inTag = false;
        else out += c;
    }
    out += "}";
    const std::pair<const char*, const char*> recolour[] = {
        {"\\cf3 <item>", "\\cf1 <item>"},       {"\\cf3 </item>", "\\cf1 </item>"},
        {"\\cf3 <image>", "\\cf2 <image>"},     {"\\cf3 </image>", "\\cf2 </image>"},
        {"\\cf3 <channel>", "\\cf5 <channel>"}, {"\\cf3 </channel>", "\\cf5 </channel>"},
        {"\\cf3 <rss", "\\cf4 <rss"},           {"\\cf3 </rss", "\\cf4 </rss"},
    };
    for (const auto& [from, to] : recolour) out = ReplaceAll(out, from, to);
    return out;
}

// Random texts built from tag pieces; no bare line feeds and no text that
// spells "cf3", where the one-pass rendering is meant to differ.
std::vector<std::string> PieceTexts(const std::vector<std::string>& pieces, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    std::vector<std::string> texts;
    for (int t = 0; t < count; ++t) {
        std::string text;
        for (int k = length(random); k > 0; --k) text += pieces[pick(random)];
        texts.push_back(text);
    }
    return texts;
}

TEST(XmlToRtfTest, SameAsSlowRendering) {
    const std::vector<std::string> pieces = {
        "<item>", "</item>", "<image>", "</image>", "<channel>", "</channel>", "<rss", "</rss", "<item ",
        "<", ">", "</", "\\", "{", "}", "\r\n", "\r", " ", "x", "item", "rss>", "\xC3\xA9",
    };
    std::vector<std::string> inputs = PieceTexts(pieces, 400, 17);
    inputs.push_back(kSmallFeed);
    for (size_t k = 0; k < inputs.size(); ++k) {
        SCOPED_TRACE("input " + std::to_string(k) + ": " + inputs[k]);
        ASSERT_EQ(XmlToRtf(inputs[k], true), SlowXmlToRtf(inputs[k], true));
        ASSERT_EQ(XmlToRtf(inputs[k], false), SlowXmlToRtf(inputs[k], false));
    }
}

// ---- Indented source ----------------------------------------------------------

class IndentXmlTest : public testing::TestWithParam<TextCase> {};

TEST_P(IndentXmlTest, Indents) {
    EXPECT_EQ(IndentXml(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, IndentXmlTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"SmallFeed",
         "<?xml version=\"1.0\"?>\r\n<rss version=\"2.0\">\r\n  <channel>\r\n    <title>My  feed</title>\r\n"
         "    <item><title>A</title><link>l</link></item>\r\n    <item><title>B</title></item>\r\n"
         "  </channel>\r\n</rss>\r\n",
         "<?xml version=\"1.0\"?>\r\n"
         "<rss version=\"2.0\">\r\n"
         "    <channel>\r\n"
         "        <title>My feed</title>\r\n"
         "        \r\n"
         "        <item>\r\n"
         "            <title>A</title>\r\n"
         "            <link>l</link>\r\n"
         "        </item>\r\n"
         "\r\n"
         "        <item>\r\n"
         "            <title>B</title>\r\n"
         "        </item>\r\n"
         "\r\n"
         "    </channel>\r\n"
         "</rss> "},
        {"CompactFeedOnOneLine", "<rss><channel><item><title>t</title></item></channel></rss>",
         "<rss>\r\n    <channel>\r\n        \r\n        <item>\r\n            <title>t</title>\r\n"
         "        </item>\r\n\r\n    </channel>\r\n</rss>"},
        {"Empty", "", ""},
        {"TextOnlyCollapsesBlanks", "  a \t b  ", " a b "},
        {"ControlCharactersBecomeBlanks", "<a>x\x01y</a>", "<a>x y</a>"},
        {"BlankBeforeTagDropped", "<a>text <b>bold</b></a>", "<a>text\r\n    <b>bold</b>\r\n</a>"},
        {"DeclarationAndCommentDoNotIndent", "<?xml?><!--c--><a><b>x</b></a>",
         "<?xml?>\r\n<!--c-->\r\n<a>\r\n    <b>x</b>\r\n</a>"},
        {"CommentBeforeEndTagKeepsLine", "<a><!--c--></a>", "<a>\r\n    <!--c--></a>"},
        {"StrayEndTagsNeverIndentNegatively", "</a></b><c>", "</a></b>\r\n<c>"},
        {"FirstTagIsItem", "<item><title>t</title></item>",
         "\r\n<item>\r\n    <title>t</title>\r\n</item>\r\n"},
        {"TextBeforeFirstItem", "abc<item>x</item>", "abc\r\n<item>x</item>\r\n"},
        {"SelfClosingTagRaisesDepth", "<a><b/><c>x</c></a>", "<a>\r\n    <b/>\r\n        <c>x</c>\r\n    </a>"},
        {"ItemWithAttributesGetsNoBlankLineBefore", "<a><item x=\"1\">t</item></a>",
         "<a>\r\n    <item x=\"1\">t</item>\r\n\r\n</a>"},
        {"LessThanAtEnd", "a<", "a<"},
    }),
    CaseName);

// Each step applied to the whole text in turn, the slow way.
std::string SlowIndentXml(std::string xml) {
    for (char& c : xml)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    std::string collapsed;
    for (size_t i = 0; i < xml.size(); ++i)
        if (!(xml[i] == ' ' && i + 1 < xml.size() && (xml[i + 1] == ' ' || xml[i + 1] == '<'))) collapsed += xml[i];
    std::string out;
    int depth = 0;
    bool previousEnd = false;
    for (size_t i = 0; i < collapsed.size(); ++i) {
        if (collapsed[i] == '<') {
            const char next = i + 1 < collapsed.size() ? collapsed[i + 1] : '\0';
            if (next == '/') {
                --depth;
                if (previousEnd) out += "\r\n" + std::string(static_cast<size_t>(std::max(depth, 0) * 4), ' ');
                previousEnd = true;
            } else {
                out += "\r\n" + std::string(static_cast<size_t>(std::max(depth, 0) * 4), ' ');
                if (next != '?' && next != '!') ++depth;
                previousEnd = false;
            }
        }
        out += collapsed[i];
    }
    const size_t first = out.find("\r\n");
    if (first != std::string::npos) out.erase(first, 2);
    out = ReplaceAll(out, "</item>", "</item>\r\n");
    const size_t item = out.find("<item>");
    if (item != std::string::npos) {
        size_t blanks = 0;
        while (blanks < item && out[item - blanks - 1] == ' ') ++blanks;
        out.insert(item, "\r\n" + std::string(blanks, ' '));
    }
    return out;
}

TEST(IndentXmlSlowTest, SameAsStepByStep) {
    const std::vector<std::string> pieces = {
        "<item>", "</item>", "<a>", "</a>", "<b x=\"1\">", "</b>", "<?p?>", "<!--c-->", "<", "</", ">", "/>",
        " ", "  ", "\r\n", "\t", "x", "item", "\xC3\xA9",
    };
    const std::vector<std::string> inputs = PieceTexts(pieces, 400, 23);
    for (size_t k = 0; k < inputs.size(); ++k) {
        SCOPED_TRACE("input " + std::to_string(k) + ": " + inputs[k]);
        ASSERT_EQ(IndentXml(inputs[k]), SlowIndentXml(inputs[k]));
    }
}

TEST(SourceRenderingTest, LetsTheWindowPaintAfterEachPass) {
    int pumps = 0;
    feed::SetEventPump([&pumps] { ++pumps; });
    XmlToRtf("<a>x</a>", true);
    EXPECT_GE(pumps, 1);
    pumps = 0;
    IndentXml("<a>x</a>");
    EXPECT_GE(pumps, 1);
    feed::SetEventPump(nullptr);
}

// ---- Language list ------------------------------------------------------------

class LanguageCodesTest : public testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("texthelpers-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        LanguageCodes.clear();
        SetProgramFolder("");
        std::filesystem::remove_all(folder_);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path folder_;
};

TEST_F(LanguageCodesTest, LookUpLineOfCode) {
    LanguageCodes = {"English (United States): en-us", "English: en", "German (Switzerland): de-ch",
                     "Second English (United States): en-us", "x"};
    struct Case {
        const char* name;
        const char* code;
        const char* expected;
    };
    const Case cases[] = {
        {"UpperCaseCode", "EN-US", "English (United States): en-us"},
        {"FirstMatchWins", "en-us", "English (United States): en-us"},
        {"ShortCodeNeedsColonBefore", "en", "English: en"},
        {"PartOfCodeIsNoMatch", "us", ""},
        {"UnknownCode", "xx", ""},
        {"CodeLongerThanLines", "a-very-long-code-indeed-longer-than-any-line", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LanguageLineOfCode(c.code), c.expected);
    }
}

TEST(CodeOfLanguageLineTest, TakesTrimmedLowerCodeAfterFirstColon) {
    struct Case {
        const char* name;
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"ListLine", "English (United States): EN-US ", "en-us"},
        {"BareCode", " en-GB", "en-gb"},
        {"FirstColonCounts", "a: b:c", "b:c"},
        {"Empty", "", ""},
        {"NothingAfterColon", "Name:", ""},
        {"NonAsciiNameKept", "Fran\xC3\xA7" "ais: FR", "fr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodeOfLanguageLine(c.line), c.expected);
    }
}

TEST_F(LanguageCodesTest, LoadsLinesFromProgramFolder) {
    Write("LanguageCodes.txt", "English: en\r\n\r\nFran\xC3\xA7" "ais (France): fr-fr  \r\n \r\nGerman: de");
    SetProgramFolder(folder_.string());
    LoadLanguageCodes();
    EXPECT_EQ(LanguageCodes,
              (std::vector<std::string>{"English: en", "Fran\xC3\xA7" "ais (France): fr-fr", "German: de"}));
    EXPECT_EQ(LanguageLineOfCode("FR-FR"), "Fran\xC3\xA7" "ais (France): fr-fr");
}

TEST_F(LanguageCodesTest, ReadsByteOrderMarkAndLoneLineFeeds) {
    const std::string path = Write("codes.txt", "\xEF\xBB\xBF" "English: en\nGerman: de\n");
    LoadLanguageCodesFrom(path);
    EXPECT_EQ(LanguageCodes, (std::vector<std::string>{"English: en", "German: de"}));
}

TEST_F(LanguageCodesTest, ReadsOlderCodePageFile) {
    const std::string path = Write("codes.txt", "Fran\xE7" "ais: fr\r\n");
    LoadLanguageCodesFrom(path);
    EXPECT_EQ(LanguageCodes, (std::vector<std::string>{"Fran\xC3\xA7" "ais: fr"}));
}

TEST_F(LanguageCodesTest, MissingFileLeavesListEmpty) {
    LanguageCodes = {"stale: xx"};
    SetProgramFolder(folder_.string());
    LoadLanguageCodes();
    EXPECT_TRUE(LanguageCodes.empty());
    EXPECT_EQ(LanguageLineOfCode("xx"), "");
}

TEST_F(LanguageCodesTest, FolderInPlaceOfFileLeavesListEmpty) {
    std::filesystem::create_directories(folder_ / "LanguageCodes.txt");
    SetProgramFolder(folder_.string());
    LoadLanguageCodes();
    EXPECT_TRUE(LanguageCodes.empty());
}

TEST_F(LanguageCodesTest, ShippedListFindsEveryCode) {
    LoadLanguageCodesFrom(QUORVANE_SOURCE_DIR "/resources/program/LanguageCodes.txt");
    ASSERT_FALSE(LanguageCodes.empty());
    EXPECT_EQ(LanguageLineOfCode("EN-US"), "English (United States): en-us");
    for (const std::string& line : LanguageCodes) {
        SCOPED_TRACE(line);
        const std::string code = CodeOfLanguageLine(line);
        EXPECT_FALSE(code.empty());
        const std::string found = LanguageLineOfCode(code);
        EXPECT_EQ(CodeOfLanguageLine(found), code);
    }
}

// ---- Version and addresses ----------------------------------------------------

TEST(VersionNumberTextTest, FourNumbersOfThisRelease) {
    EXPECT_EQ(VersionNumberText(), "1.0.2.0");
}

class UrlDocumentTest : public testing::TestWithParam<TextCase> {};

TEST_P(UrlDocumentTest, TakesLastPathSegment) {
    EXPECT_EQ(UrlDocument(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, UrlDocumentTest,
    testing::ValuesIn(std::vector<TextCase>{
        {"FeedFile", "http://www.example.com/feeds/news.xml", "news.xml"},
        {"QueryAndFragmentDropped", "https://example.com/a/b/rss.php?id=3#top", "rss.php"},
        {"HostOnly", "http://example.com", ""},
        {"RootPath", "http://example.com/", ""},
        {"FolderPath", "http://example.com/dir/", ""},
        {"SlashInQueryIsNoPath", "http://example.com?x=/y.xml", ""},
        {"SlashInFragmentIsNoPath", "http://example.com/a.xml#part/two", "a.xml"},
        {"UserAndPort", "ftp://user:pw@host:21/pub/feed.xml", "feed.xml"},
        {"NoScheme", "www.example.com/feed.xml", "feed.xml"},
        {"FileNameOnly", "feed.xml", "feed.xml"},
        {"SchemeRelative", "//cdn.example.com/f.xml", "f.xml"},
        {"Backslashes", "C:\\feeds\\my.xml", "my.xml"},
        {"EncodedCharactersKept", "http://example.com/my%20feed.xml", "my%20feed.xml"},
        {"Empty", "", ""},
    }),
    CaseName);

}  // namespace
}  // namespace core
