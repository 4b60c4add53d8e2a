// The tolerant XML document: what it accepts, where it reports errors, and
// the two layouts it writes.

#include "feed/xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace feed {
namespace {

using test::CaseName;

struct ErrorCase {
    std::string name;
    std::string text;
    std::string position;  // "Line L, column C"
    std::string words;     // part of the message
};

class XmlParseErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(XmlParseErrorTest, NamesLineAndColumn) {
    XmlDocument doc;
    EXPECT_FALSE(doc.Parse(GetParam().text));
    EXPECT_EQ(doc.ParseErrorMessage.rfind(GetParam().position + ": ", 0), 0u) << doc.ParseErrorMessage;
    EXPECT_NE(doc.ParseErrorMessage.find(GetParam().words), std::string::npos) << doc.ParseErrorMessage;
}

INSTANTIATE_TEST_SUITE_P(
    Xml, XmlParseErrorTest,
    testing::ValuesIn(std::vector<ErrorCase>{
        {"MismatchedEndTag", "<a><b></a>", "Line 1, column 7", "</a> does not match the start tag <b>"},
        {"MismatchOnLaterLine", "<a>\r\n  <b>\r\n  </c>\r\n</a>", "Line 3, column 3", "</c>"},
        {"ColumnCountsCharacters", "<a>ééé</b>", "Line 1, column 7", "does not match"},
        {"UnclosedRoot", "<rss><channel></channel>", "Line 1, column 25", "<rss> is not closed"},
        {"NoRoot", "just text", "Line 1, column 10", "no root element"},
        {"UnquotedAttribute", "<a b=c></a>", "Line 1, column 6", "not quoted"},
        {"AttributeWithoutValue", "<a b></a>", "Line 1, column 5", "has no value"},
        {"LessThanInText", "<a>x < y</a>", "Line 1, column 6", "invalid element name"},
        {"EndTagBeforeRoot", "</a><a/>", "Line 1, column 1", "before the root"},
        {"UnterminatedComment", "<a><!-- x</a>", "Line 1, column 4", "comment"},
    }),
    CaseName<ErrorCase>);

TEST(XmlParseTest, ToleratesWhatFeedsNeed) {
    XmlDocument doc;
    ASSERT_TRUE(doc.Parse("junk &lt;? xml version=\"1.0\"?&gt;\r\n<? xml version=\"1.0\"?><!-- c -->"
                          "<!DOCTYPE rss [<!ENTITY x \"y\">]><RSS Version=\"2.0\"><Title>a &amp; &nbsp; & b "
                          "&#233;&#x41;&#128;&#255;&#128512;&#129;</TITLE></rss> trailing <junk"))
        << doc.ParseErrorMessage;
    const XmlNode* root = doc.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Name, "RSS");
    EXPECT_EQ(root->AttributeByName("VERSION"), "2.0");
    const XmlNode* title = root->FindFirst("title");
    ASSERT_NE(title, nullptr);
    // Unknown entities and stray ampersands are text; 128 is a code-page byte;
    // 255 is left for the feed decoder; references above it are characters.
    EXPECT_EQ(title->Value, "a & &nbsp; & b \xC3\xA9" "A\xE2\x82\xAC&#255;\xF0\x9F\x98\x80&#129;");
}

TEST(XmlParseTest, KeepsCommentsAsChildrenAndCdataAsText) {
    XmlDocument doc;
    ASSERT_TRUE(doc.Parse("<a><!--c--><b x='1' y=\"&quot;\"/><![CDATA[<raw>]]></a>"));
    const XmlNode* a = doc.Root();
    ASSERT_EQ(a->Children.size(), 2u);
    EXPECT_FALSE(a->Children[0]->IsElement());
    EXPECT_EQ(a->Children[1]->AttributeByName("y"), "\"");
    EXPECT_EQ(a->Value, "<raw>");
}

TEST(XmlParseTest, DeepNestingNeitherCrashesNorRecurses) {
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "<a>";
    text += "<target></target>";
    for (int i = 0; i < 200000; ++i) text += "</a>";
    XmlDocument doc;
    ASSERT_TRUE(doc.Parse(text));
    EXPECT_NE(doc.Root()->FindFirst("TARGET"), nullptr);
    const std::string written = doc.WriteToString(XmlLayout::Compact);
    EXPECT_EQ(written.substr(written.find('\n') + 1), text);
}

TEST(XmlWriteTest, ReadableAndCompactLayouts) {
    XmlDocument doc;
    XmlNode* rss = doc.CreateRoot("rss");
    XmlDocument::AddAttribute(rss, "version", "2.0");
    XmlNode* channel = doc.AddElement(rss, "channel");
    doc.AddElement(channel, "title", "a<b>&'\"");
    doc.AddElement(channel, "link");
    EXPECT_EQ(doc.WriteToString(XmlLayout::Readable),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<rss version=\"2.0\">\r\n  <channel>\r\n"
              "    <title>a&lt;b&gt;&amp;&apos;&quot;</title>\r\n    <link></link>\r\n  </channel>\r\n</rss>");
    EXPECT_EQ(doc.WriteToString(XmlLayout::Compact),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<rss version=\"2.0\"><channel>"
              "<title>a&lt;b&gt;&amp;&apos;&quot;</title><link></link></channel></rss>");
}

}  // namespace
}  // namespace feed
