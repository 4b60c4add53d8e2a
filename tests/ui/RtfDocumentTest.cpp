// Reading our own rich text into a QTextDocument: the coloured source view
// and the print text.

#include "ui/RtfDocument.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <string>

#include "core/TextHelpers.h"

namespace ui {
namespace {

// One line per block; each fragment as "{attributes}text", the attributes
// being b, i, u, s and the colour when one is set.
std::string Dump(const QTextDocument& doc) {
    std::string out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block != doc.begin()) out += "\n";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            std::string attributes;
            auto add = [&attributes](const std::string& attribute) {
                if (!attributes.empty()) attributes += " ";
                attributes += attribute;
            };
            if (format.fontWeight() > QFont::Normal) add("b");
            if (format.fontItalic()) add("i");
            if (format.fontUnderline()) add("u");
            if (format.fontStrikeOut()) add("s");
            if (format.hasProperty(QTextFormat::ForegroundBrush))
                add(format.foreground().color().name().toStdString());
            out += "{" + attributes + "}" + fragment.text().toStdString();
        }
    }
    return out;
}

std::string PlainOf(const QTextDocument& doc) {
    return doc.toPlainText().toStdString();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const std::string kFeed =
    "<rss>\r\n"
    "<channel>\r\n"
    "<title>A {b} \\c</title>\r\n"
    "<item><title>x</title></item>\r\n"
    "</channel>\r\n"
    "</rss>";

TEST(RtfDocumentTest, ColouredSourceView) {
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument(core::XmlToRtf(kFeed, true), doc));
    EXPECT_EQ(Dump(doc),
              "{b #800000}<rss>\n"
              "{b #800080}<channel>\n"
              "{b #000080}<title>{}A {b} \\c{b #000080}</title>\n"
              "{b #ff0000}<item>{b #000080}<title>{}x{b #000080}</title>{b #ff0000}</item>\n"
              "{b #800080}</channel>\n"
              "{b #800000}</rss>");
    // Saving the source view takes the plain text back.
    EXPECT_EQ(PlainOf(doc), Replaced(kFeed, "\r\n", "\n"));
}

TEST(RtfDocumentTest, SourceViewUsesArialTen) {
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument(core::XmlToRtf("<a>x</a>\r\ny", true), doc));
    int fragments = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it, ++fragments) {
            const QTextCharFormat format = it.fragment().charFormat();
            SCOPED_TRACE(it.fragment().text().toStdString());
            EXPECT_EQ(format.fontPointSize(), 10.0);
            EXPECT_EQ(format.fontFamilies().toStringList(), QStringList{"Arial"});
        }
    }
    EXPECT_EQ(fragments, 4);
}

TEST(RtfDocumentTest, PlainSourceViewHasOneColour) {
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument(core::XmlToRtf(kFeed, false), doc));
    EXPECT_EQ(Dump(doc),
              "{}<rss>\n{}<channel>\n{}<title>A {b} \\c</title>\n{}<item><title>x</title></item>\n"
              "{}</channel>\n{}</rss>");
}

TEST(RtfDocumentTest, IndentedFeedRoundTripsItsText) {
    std::string feed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>T \xC3\xA9</title>";
    for (int i = 0; i < 300; ++i)
        feed += "<item><title>Item {" + std::to_string(i) + "}</title><link>http://x/" + std::to_string(i) +
                "</link></item>";
    feed += "</channel></rss>";
    const std::string indented = core::IndentXml(feed);
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument(core::XmlToRtf(indented, true), doc));
    EXPECT_EQ(PlainOf(doc), Replaced(indented, "\r\n", "\n"));
}

TEST(RtfDocumentTest, EditorTextWithLineFeedsKeepsItsLines) {
    // The editor hands back its text with line feeds only.
    const std::string edited = "<a>\n    <b>x</b>\n</a>\n";
    for (const bool colour : {true, false}) {
        SCOPED_TRACE(colour ? "coloured" : "plain");
        QTextDocument doc;
        ASSERT_TRUE(LoadRtfIntoDocument(core::XmlToRtf(edited, colour), doc));
        EXPECT_EQ(PlainOf(doc), edited);
        EXPECT_EQ(doc.blockCount(), 4);
    }
}

TEST(RtfDocumentTest, PrintTextWithBoldTitles) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 "
        "\\b My Feed\\b0 \\par About <b>us</b>\\par \\par "
        "\\par \\b First\\b0 \\par Desc \xC3\xA9\\par "
        "}";
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument(rtf, doc));
    EXPECT_EQ(Dump(doc), "{b}My Feed\n{}About <b>us</b>\n\n\n{b}First\n{}Desc \xC3\xA9\n");
}

struct RtfCase {
    std::string name;
    std::string rtf;
    std::string dump;
};

class RtfSubsetTest : public testing::TestWithParam<RtfCase> {};

TEST_P(RtfSubsetTest, Reads) {
    QTextDocument doc;
    EXPECT_TRUE(LoadRtfIntoDocument(GetParam().rtf, doc));
    EXPECT_EQ(Dump(doc), GetParam().dump);
}

INSTANTIATE_TEST_SUITE_P(
    Rtf, RtfSubsetTest,
    testing::ValuesIn(std::vector<RtfCase>{
        {"EscapedCharacters", "{\\rtf1 a\\\\b\\{c\\}}", "{}a\\b{c}"},
        {"OneBlankEndsControlWord", "{\\rtf1\\b bold\\b0  two}", "{b}bold{} two"},
        {"UnknownWordsAndParametersIgnored", "{\\rtf1\\foo12 x\\bar-3 y\\baz z}", "{}xyz"},
        {"SourceLineEndsIgnored", "{\\rtf1 a\r\nb\rc\nd}", "{}abcd"},
        {"BackslashLineEndIsParagraph", "{\\rtf1 a\\\nb}", "{}a\n{}b"},
        {"GroupsRestoreFormat", "{\\rtf1 a{\\b b{\\i c}d}e}", "{}a{b}b{b i}c{b}d{}e"},
        {"UnderlineAndStrike", "{\\rtf1\\ul u\\ulnone n\\strike s\\strike0 n\\ul u\\ul0 n}",
         "{u}u{}n{s}s{}n{u}u{}n"},
        {"ItalicOff", "{\\rtf1\\i i\\i0 n}", "{i}i{}n"},
        {"PlainResets", "{\\rtf1\\b\\i\\ul x\\plain y}", "{b i u}x{}y"},
        {"ColourTable", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\\cf2 n\\cf1 r\\cf0 d}",
         "{#000080}n{#ff0000}r{}d"},
        {"ColourOutsideTableIsDefault", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf9 x}", "{}x"},
        {"AutoColourEntry", "{\\rtf1{\\colortbl;;\\red1\\green2\\blue3;}\\cf1 a\\cf2 b}", "{}a{#010203}b"},
        {"CodePageByte", "{\\rtf1 caf\\'e9 \\'80}", "{}caf\xC3\xA9 \xE2\x82\xAC"},
        {"UnicodeWithStandIn", "{\\rtf1 \\u8364?x}", "{}\xE2\x82\xAC" "x"},
        {"UnicodeSurrogatePair", "{\\rtf1 \\u-10179?\\u-8704?}", "{}\xF0\x9F\x98\x80"},
        {"LoneLowSurrogate", "{\\rtf1 \\u-8704?x}", "{}\xEF\xBF\xBDx"},
        {"HighSurrogateAtEnd", "{\\rtf1 x\\u-10179?}", "{}x\xEF\xBF\xBD"},
        {"NoStandInAfterUc0", "{\\rtf1\\uc0\\u233 x}", "{}\xC3\xA9x"},
        {"TwoStandIns", "{\\rtf1\\uc2\\u233 ab x}", "{}\xC3\xA9 x"},
        {"StandInIsCodePageByte", "{\\rtf1\\u233\\'e9 x}", "{}\xC3\xA9 x"},
        {"Utf8TextKept", "{\\rtf1 \xE6\xBC\xA2 \xC3\xA9}", "{}\xE6\xBC\xA2 \xC3\xA9"},
        {"StrayCodePageByteInText", "{\\rtf1 caf\xE9}", "{}caf\xC3\xA9"},
        {"SkippedDestinations", "{\\rtf1{\\*\\generator Writer 1.0;}{\\info{\\title t}}{\\stylesheet{s}}x}", "{}x"},
        {"TabAndLineWords", "{\\rtf1 a\\tab b\\line c}", "{}a\tb\xE2\x80\xA8" "c"},
        {"ParagraphsAndEmptyParagraphs", "{\\rtf1 a\\par\\par b\\par}", "{}a\n\n{}b\n"},
        {"TextAfterDocumentIgnored", "{\\rtf1 a}b{c}", "{}a"},
        {"LeadingBlanksAllowed", " \r\n{\\rtf1 a}", "{}a"},
    }),
    [](const testing::TestParamInfo<RtfCase>& info) { return info.param.name; });

TEST(RtfDocumentTest, FontSizeInHalfPoints) {
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument("{\\rtf1\\fs28 big{\\fs16 small}}", doc));
    auto it = doc.begin().begin();
    EXPECT_EQ(it.fragment().text(), "big");
    EXPECT_EQ(it.fragment().charFormat().fontPointSize(), 14.0);
    ++it;
    EXPECT_EQ(it.fragment().text(), "small");
    EXPECT_EQ(it.fragment().charFormat().fontPointSize(), 8.0);
}

TEST(RtfDocumentTest, FontFromFontTable) {
    QTextDocument doc;
    ASSERT_TRUE(LoadRtfIntoDocument(
        "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;} {\\f1\\fmodern\\fcharset0 Courier New;}}\\f1 mono\\f0 sans}", doc));
    auto it = doc.begin().begin();
    EXPECT_EQ(it.fragment().charFormat().fontFamilies().toStringList(), QStringList{"Courier New"});
    ++it;
    EXPECT_EQ(it.fragment().charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
}

TEST(RtfDocumentTest, MalformedInput) {
    struct Case {
        const char* name;
        std::string rtf;
        std::string plain;
    };
    const Case cases[] = {
        {"NotRtf", "just text", ""},
        {"Empty", "", ""},
        {"GroupNeverClosed", "{\\rtf1 abc{\\b d}", "abcd"},
        {"BackslashAtEnd", "{\\rtf1 abc\\", "abc"},
        {"BadHexDigits", "{\\rtf1 a\\'zz", "azz"},
        {"NestedTooDeep", "{\\rtf1 a" + std::string(5000, '{') + "b" + std::string(5001, '}'), "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        doc.setPlainText("old text");
        EXPECT_FALSE(LoadRtfIntoDocument(c.rtf, doc));
        EXPECT_EQ(PlainOf(doc), c.plain);
    }
}

TEST(RtfDocumentTest, ReplacesContentAndKeepsDocumentSettings) {
    QTextDocument doc;
    const QFont font("Courier", 13);
    doc.setDefaultFont(font);
    doc.setPlainText("old text");
    ASSERT_TRUE(doc.isUndoRedoEnabled());
    ASSERT_TRUE(LoadRtfIntoDocument("{\\rtf1 new}", doc));
    EXPECT_EQ(PlainOf(doc), "new");
    EXPECT_TRUE(doc.isUndoRedoEnabled());
    // Loading is no edit the user could undo.
    EXPECT_FALSE(doc.isUndoAvailable());
    EXPECT_EQ(doc.defaultFont(), font);
}

}  // namespace
}  // namespace ui
