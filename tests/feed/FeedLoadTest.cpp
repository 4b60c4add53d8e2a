// Feed loads end to end: statuses, hooks, readers, encodings and downloads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LocalHttpServer.h"
#include "TestSupport.h"
#include "feed/FeedModel.h"

namespace feed {
namespace {

using test::CaseName;
using test::ScopedClock;
using test::ScopedTimeZone;
using test::TempDir;

// Loads the bytes as a feed file.
LoadStatus LoadBytes(TFeed& feed, const std::string& bytes) {
    TempDir dir;
    test::WriteAll(dir.File("feed.xml"), bytes);
    feed.FeedInfo->LocalFile = dir.File("feed.xml");
    return feed.LoadFromFile();
}

struct StatusCase {
    std::string name;
    std::string file;
    LoadStatus status;
    std::string versionName;
};

class FeedLoadStatusTest : public testing::TestWithParam<StatusCase> {};

TEST_P(FeedLoadStatusTest, EndsInTheRightStatus) {
    TFeed feed;
    EXPECT_EQ(LoadBytes(feed, GetParam().file), GetParam().status) << feed.XmlDoc->ParseErrorMessage;
    EXPECT_EQ(feed.VersionName, GetParam().versionName);
}

INSTANTIATE_TEST_SUITE_P(
    Load, FeedLoadStatusTest,
    testing::ValuesIn(std::vector<StatusCase>{
        {"NoDeclarationStillLoads", "<rss version=\"2.0\"><channel><title>t</title></channel></rss>", kLoaded,
         "RSS 2.0"},
        {"JunkBeforeDeclaration", "\x01\x02\r\n<?xml version=\"1.0\"?><rss version=\"2\"><channel/></rss>", kLoaded,
         "RSS 2.0"},
        {"Rss091", "<rss version=\".91\"><channel><title>t</title></channel></rss>", kLoaded, "RSS 0.91"},
        {"UnknownRssVersionIsStillRead", "<rss version=\"3.0\"><channel><title>t</title></channel></rss>",
         kLoaded, "RSS Unknown"},
        {"MissingRssVersionIsStillRead", "<rss><channel><title>t</title></channel></rss>", kLoaded,
         "RSS Unknown"},
        {"NoChannel", "<rss version=\"2.0\"><title>t</title></rss>", kNotAFeed, "RSS 2.0"},
        {"Rss09NotRead", "<rss version=\"0.9\"><channel/></rss>", kNotAFeed, "RSS 0.9"},
        {"RdfRoot", "<rdf><channel/></rdf>", kNotAFeed, "RSS 1.0"},
        {"Rss10Document",
         "<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         "xmlns=\"http://purl.org/rss/1.0/\"><channel rdf:about=\"x\"><title>t</title></channel>"
         "<item rdf:about=\"i\"><title>i</title></item></rdf:RDF>",
         kNotAFeed, "RSS 1.0"},
        {"Atom03", "<feed version=\"0.3\"><title>t</title></feed>", kLoaded, "Atom 0.3"},
        {"Atom10NotRead", "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title></feed>", kNotAFeed,
         "Atom "},
        {"KnownTagAsRootIsNoFeed", "<channel><title>t</title></channel>", kNotAFeed, "RSS2.0"},
        {"HtmlPageHasNoRootLeft", "<html><body>no feed</body></html>", kUnreadable, "RSS2.0"},
        {"Unbalanced", "<rss version=\"2.0\"><channel><title>x</channel></rss>", kUnreadable, "RSS2.0"},
        {"EmptyFile", "", kUnreadable, "RSS2.0"},
        {"Hour24Accepted", "<rss version=\"2.0\"><channel><skipHours><hour>24</hour></skipHours></channel></rss>",
         kLoaded, "RSS 2.0"},
        {"Hour25Fails", "<rss version=\"2.0\"><channel><skipHours><hour>25</hour></skipHours></channel></rss>",
         kNotAFeed, "RSS 2.0"},
        {"HourNotANumber", "<rss version=\"2.0\"><channel><skipHours><hour>x</hour></skipHours></channel></rss>",
         kNotAFeed, "RSS 2.0"},
        {"UnknownDayFails", "<rss version=\"2.0\"><channel><skipDays><day>Funday</day></skipDays></channel></rss>",
         kNotAFeed, "RSS 2.0"},
        {"CommentsAmongSkipHoursIgnored",
         "<rss version=\"2.0\"><channel><skipHours><!-- night --><hour>1</hour></skipHours>"
         "<skipDays><!-- weekend --><day>sunday</day></skipDays></channel></rss>",
         kLoaded, "RSS 2.0"},
        {"ReferenceWithBadDigitsIsText", "<rss version=\"2.0\"><channel><title>&amp;#abc;</title></channel></rss>",
         kLoaded, "RSS 2.0"},
    }),
    CaseName<StatusCase>);

TEST(FeedLoadTest, MissingFileGivesOne) {
    TFeed feed;
    feed.FeedInfo->LocalFile = "/nonexistent/feed.xml";
    EXPECT_EQ(feed.LoadFromFile(), kNotRead);
}

TEST(FeedLoadTest, TextLoadWantsADeclarationStreamLoadDoesNot) {
    const std::string doc = "<rss version=\"2.0\"><channel><title>t</title></channel></rss>";
    TFeed a;
    EXPECT_EQ(a.LoadFromText(doc), kNotXml);
    TFeed b;
    EXPECT_EQ(b.LoadFromText("<?xml version=\"1.0\"?>" + doc), kLoaded);
    EXPECT_EQ(b.Channel->Title, "t");
    TFeed c;
    EXPECT_EQ(c.LoadFromStream(doc), kLoaded);
    EXPECT_EQ(c.Channel->Title, "t");
    EXPECT_EQ(c.VersionName, "RSS2.0");  // no detection for streams and texts
}

TEST(FeedLoadTest, HooksFireInOrderAndParsedOnlyAfterAParse) {
    std::vector<std::string> fired;
    auto bind = [&](TFeed& feed) {
        feed.OnLoaded = [&](TFeed&) { fired.push_back("loaded"); };
        feed.OnRepaired = [&](TFeed&) { fired.push_back("repaired"); };
        feed.OnParsed = [&](TFeed&) { fired.push_back("parsed"); };
    };
    TFeed good;
    bind(good);
    ASSERT_EQ(LoadBytes(good, "<rss version=\"2.0\"><channel/></rss>"), kLoaded);
    EXPECT_EQ(fired, (std::vector<std::string>{"loaded", "repaired", "parsed"}));
    fired.clear();
    TFeed notAFeed;
    bind(notAFeed);
    ASSERT_EQ(LoadBytes(notAFeed, "<rss version=\"2.0\"/>"), kNotAFeed);
    EXPECT_EQ(fired, (std::vector<std::string>{"loaded", "repaired", "parsed"}));
    fired.clear();
    TFeed broken;
    bind(broken);
    ASSERT_EQ(LoadBytes(broken, "<rss><channel></rss>"), kUnreadable);
    EXPECT_EQ(fired, (std::vector<std::string>{"loaded", "repaired"}));
    EXPECT_NE(broken.XmlDoc->ParseErrorMessage.find("Line "), std::string::npos);
}

TEST(FeedLoadTest, RawSourceHoldsTheFileWithCrLfLineEnds) {
    TFeed feed;
    ASSERT_EQ(LoadBytes(feed, "<rss version=\"2.0\">\n<channel>\r<title>t</title></channel>\n</rss>"), kLoaded);
    EXPECT_EQ(feed.XmlDoc->RawSource,
              "<rss version=\"2.0\">\r\n<channel>\r\n<title>t</title></channel>\r\n</rss>\r\n");
}

const char* const kFullRss =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<RSS VERSION=\"2.0\"><CHANNEL>\n"
    "<TITLE>  First  </TITLE><title>Second &amp;#233;</title>\n"
    "<description>a <b>bold</b> 5 > 3</description><link>http://example.com/</link>\n"
    "<language>en</language><copyright>c</copyright><managingEditor>me</managingEditor>\n"
    "<webmaster>wm</webmaster><pubDate>Tue, 01 Jun 2004 10:00:00 GMT</pubDate>\n"
    "<lastBuildDate>Tue, 01 Jun 2004 11:00:00 +0100</lastBuildDate>\n"
    "<category domain=\"d\">cat</category><generator>gen</generator><docs>docs</docs>\n"
    "<cloud domain=\"cd\" port=\"80\" path=\"/p\" registerProcedure=\"r\" protocol=\"soap\"/>\n"
    "<ttl>60</ttl><rating>PG</rating><textInput title=\"tt\" description=\"td\" name=\"tn\" link=\"tl\"/>\n"
    "<skipHours><hour>0</hour><hour>24</hour></skipHours><skipDays><day>SATURDAY</day></skipDays>\n"
    "<image><url>iu</url><title>it</title><link>il</link><description>id</description>"
    "<width>88</width><height>31</height><extra>x</extra></image>\n"
    "<item><title>One</title><description>d1</description><link>l1</link><author>a1</author>"
    "<category domain=\"cd1\">c1</category><comments>cm1</comments>"
    "<enclosure url=\"eu\" length=\"12\" type=\"audio/mpeg\"/><guid>g1</guid>"
    "<pubDate>Wed, 02 Jun 2004 10:00:00 GMT</pubDate><source url=\"su\">s1</source>"
    "<content:encoded><![CDATA[<p>long</p>]]></content:encoded><feedburner:origLink>o</feedburner:origLink>"
    "</item>\n"
    "<item><title>Two</title><guid isPermaLink='false'>g2</guid></item>\n"
    "</CHANNEL></RSS>\n";

TEST(RssReaderTest, ReadsEveryChannelAndItemField) {
    ScopedTimeZone zone(test::kPlusTwo);
    TFeed feed;
    ASSERT_EQ(LoadBytes(feed, kFullRss), kLoaded) << feed.XmlDoc->ParseErrorMessage;
    const TFeedChannel& c = *feed.Channel;
    EXPECT_EQ(feed.Version, "2.0");
    EXPECT_EQ(c.Title, "Second \xC3\xA9");  // the last one wins; references decoded
    EXPECT_EQ(c.Description, "a <b>bold</b> 5 > 3");
    EXPECT_EQ(c.Link, "http://example.com/");
    EXPECT_EQ(c.WebMaster, "wm");
    EXPECT_EQ(c.PubDate, "Tue, 1 Jun 2004 12:00:00 +0200");
    EXPECT_EQ(c.LastBuildDate, "Tue, 1 Jun 2004 12:00:00 +0200");
    EXPECT_EQ(CategorySummary(c.Category, c.CategoryDomain), "cat  domain=\"d\"");
    EXPECT_EQ(c.Generator, "gen");
    EXPECT_EQ(CloudSummary(c),
              "domain=\"cd\"  port=\"80\"  path=\"/p\"  registerProcedure=\"r\"  protocol=\"soap\"");
    EXPECT_EQ(TextInputSummary(c), "title=\"tt\"  description=\"td\"  name=\"tn\"  link=\"tl\"");
    EXPECT_EQ(c.Ttl, "60");
    EXPECT_EQ(c.Rating, "PG");
    EXPECT_TRUE(c.SkipHours(0) && c.SkipHours(24) && !c.SkipHours(1));
    EXPECT_TRUE(c.SkipDays(6) && !c.SkipDays(0));
    EXPECT_EQ(c.Image->Url, "iu");
    EXPECT_EQ(c.Image->Height, "31");
    ASSERT_EQ(c.Items.size(), 2u);
    const TFeedItem& one = *c.Items[0];
    EXPECT_EQ(one.Title, "One");
    EXPECT_EQ(one.Author, "a1");
    EXPECT_EQ(one.CategoryDomain, "cd1");
    EXPECT_EQ(EnclosureSummary(one), "url=\"eu\"  length=\"12\"  type=\"audio/mpeg\"");
    EXPECT_EQ(one.Guid, "g1");
    EXPECT_EQ(one.GuidIsPermaLink, "");  // no attribute: empty, not the default
    EXPECT_EQ(one.PubDate, "Wed, 2 Jun 2004 12:00:00 +0200");
    EXPECT_EQ(SourceSummary(one), "s1  url=\"su\"");
    EXPECT_EQ(c.Items[1]->GuidIsPermaLink, "false");
}

TEST(RssReaderTest, TextInputWithChildElementsReadsAsEmpty) {
    TFeed feed;
    ASSERT_EQ(LoadBytes(feed, "<rss version=\"2.0\"><channel><textInput><title>t</title><name>n</name>"
                              "</textInput></channel></rss>"),
              kLoaded);
    EXPECT_EQ(TextInputSummary(*feed.Channel), "");
}

TEST(AtomReaderTest, ReadsFeedAndEntries) {
    ScopedTimeZone zone(test::kPlusTwo);
    TFeed feed;
    ASSERT_EQ(LoadBytes(feed, "<?xml version=\"1.0\"?><feed version=\"0.3\" xmlns=\"http://purl.org/atom/ns#\">"
                              "<title mode=\"escaped\">Atom &amp;#8364;</title>"
                              "<link rel=\"alternate\" href=\"http://a/\"/><link rel=\"self\" href=\"http://a/feed\"/>"
                              "<author><name>n</name><email>me@a</email></author><tagline>tag</tagline>"
                              "<id>feed-id</id><generator>g</generator><copyright>c</copyright><info>i</info>"
                              "<modified>2004-06-01T10:00:00Z</modified>"
                              "<entry><title>E1</title><link href=\"http://a/1\"/><id>id1</id>"
                              "<author><email>e1@a</email></author><issued>2004-06-02T10:00:00+02:00</issued>"
                              "<content>body</content><summary>sum</summary></entry>"
                              "<entry><title>E2</title><content>only content</content><summary/></entry>"
                              "</feed>"),
              kLoaded);
    const TFeedChannel& c = *feed.Channel;
    EXPECT_EQ(feed.VersionName, "Atom 0.3");
    EXPECT_EQ(c.Title, "Atom \xE2\x82\xAC");
    EXPECT_EQ(c.Link, "http://a/feed");  // the last link wins
    EXPECT_EQ(c.ManagingEditor, "me@a");
    EXPECT_EQ(c.Description, "tag");
    EXPECT_EQ(c.Docs, "i");
    EXPECT_EQ(c.LastBuildDate, "Tue, 1 Jun 2004 12:00:00 +0200");
    EXPECT_EQ(c.PubDate, c.LastBuildDate);
    ASSERT_EQ(c.Items.size(), 2u);
    EXPECT_EQ(c.Items[0]->Link, "http://a/1");
    EXPECT_EQ(c.Items[0]->Guid, "id1");
    EXPECT_EQ(c.Items[0]->GuidIsPermaLink, "True");
    EXPECT_EQ(c.Items[0]->Author, "e1@a");
    EXPECT_EQ(c.Items[0]->PubDate, "Wed, 2 Jun 2004 10:00:00 +0200");
    EXPECT_EQ(c.Items[0]->Description, "sum");           // summary wins over content
    EXPECT_EQ(c.Items[1]->Description, "only content");  // an empty summary does not wipe it out
}

TEST(FeedEncodingTest, Utf8AndWindows1252FeedsGiveTheSameModelAndBytes) {
    ScopedTimeZone zone(test::kUtc);
    ScopedClock clock(DateTime{2026, 12, 9, 16, 9, 9});
    const std::string body = "<rss version=\"2.0\"><channel><title>Caf%s</title></channel></rss>";
    auto make = [&](const std::string& decl, const std::string& e) {
        std::string b = body;
        return decl + b.replace(b.find("%s"), 2, e);
    };
    const std::vector<std::string> files = {
        make("<?xml version=\"1.0\" encoding=\"utf-8\"?>", "\xC3\xA9"),
        make("<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "\xE9"),
        make("\xEF\xBB\xBF<?xml version=\"1.0\"?>", "\xC3\xA9"),
        make("", "\xE9"),  // no declaration, not UTF-8: the code page
        make("<?xml version=\"1.0\"?>", "&amp;#233;"),
    };
    std::string firstSaved;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TFeed feed;
        ASSERT_EQ(LoadBytes(feed, file), kLoaded);
        EXPECT_EQ(feed.Channel->Title, "Caf\xC3\xA9");
        feed.BuildXml();
        const std::string saved = feed.XmlDoc->WriteToString(XmlLayout::Readable);
        if (firstSaved.empty()) firstSaved = saved;
        EXPECT_EQ(saved, firstSaved);
    }
}

TEST(FeedEncodingTest, CharactersOutsideTheCodePageRoundTrip) {
    TempDir dir;
    TFeed feed;
    feed.Channel->Title = "\xF0\x9F\x98\x80 \xE6\xBC\xA2 \xE2\x82\xAC \xC3\xA9 \xE2\x80\x9Cq\xE2\x80\x9D";
    feed.Channel->Description = "tab\there";
    feed.FeedInfo->LocalFile = dir.File("a.xml");
    ASSERT_EQ(feed.SaveToFile(), kLoaded);
    const std::string bytes = test::ReadAll(dir.File("a.xml"));
    for (char c : bytes) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "saved feeds are plain ASCII";
    TFeed back;
    back.FeedInfo->LocalFile = dir.File("a.xml");
    ASSERT_EQ(back.LoadFromFile(), kLoaded);
    EXPECT_EQ(back.Channel->Title, feed.Channel->Title);
    // Short references such as a tab's stay text, as they always have.
    EXPECT_EQ(back.Channel->Description, "tab&#9;here");
}

TEST(FeedDownloadTest, LoadsOverHttpAndReportsFailures) {
    TempDir dir;
    test::WriteAll(dir.File("feed.xml"), "<rss version=\"2.0\"><channel><title>Remote</title></channel></rss>");
    test::LocalHttpServer server(dir.Path().string());

    TFeed plain;
    plain.FeedInfo->RemoteFile = server.Url("/file/feed.xml");
    ASSERT_EQ(plain.LoadFromUrl(), kLoaded);
    EXPECT_EQ(plain.Channel->Title, "Remote");
    EXPECT_EQ(plain.XmlDoc->RawSource, "<rss version=\"2.0\"><channel><title>Remote</title></channel></rss>");

    TFeed redirected;
    redirected.FeedInfo->RemoteFile = server.Url("/redirect/3/file/feed.xml");
    ASSERT_EQ(redirected.LoadFromUrl(), kLoaded);
    EXPECT_EQ(redirected.Channel->Title, "Remote");

    for (const char* path : {"/file/missing.xml", "/status/500", "/redirect/11/file/feed.xml"}) {
        SCOPED_TRACE(path);
        TFeed failed;
        failed.FeedInfo->RemoteFile = server.Url(path);
        EXPECT_EQ(failed.LoadFromUrl(), kNotRead);
    }
}

}  // namespace
}  // namespace feed
