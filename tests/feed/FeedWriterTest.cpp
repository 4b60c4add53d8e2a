// The model and the RSS 2.0 writer: defaults, ownership, summaries and the
// bytes of saved files.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "TestSupport.h"
#include "feed/FeedModel.h"

namespace feed {
namespace {

using test::ReadAll;
using test::ScopedClock;
using test::ScopedTimeZone;
using test::TempDir;

constexpr DateTime kBuildTime{2026, 12, 9, 16, 9, 9};

TEST(FeedModelTest, NewObjectsHaveTheirDefaults) {
    TFeed feed;
    EXPECT_EQ(feed.Version, "2.0");
    EXPECT_EQ(feed.VersionName, "RSS2.0");
    TFeedItem item;
    EXPECT_EQ(item.GuidIsPermaLink, "True");
    EXPECT_TRUE(item.Title.empty() && item.Guid.empty() && item.PubDate.empty());
    EXPECT_EQ(feed.Channel->Image->ImageFormat, kImageFormatNone);
    EXPECT_TRUE(feed.Channel->Image->ImageData.empty());
    for (int h = 0; h < 25; ++h) EXPECT_FALSE(feed.Channel->SkipHours(h));
    EXPECT_EQ(feed.FeedInfo->FeedFtp.Mode, "pasv");
    EXPECT_EQ(feed.FeedInfo->DefGuidIsPermaLink, "True");
    EXPECT_TRUE(feed.FeedInfo->AutoPubDate);
}

TEST(FeedModelTest, ClearGivesFreshPartsAndKeepsHooks) {
    TFeed feed;
    int parsed = 0;
    feed.OnParsed = [&](TFeed&) { ++parsed; };
    feed.Channel->Items.push_back(std::make_unique<TFeedItem>());
    feed.FeedInfo->LocalFile = "a.xml";
    feed.FeedInfo->RemoteFile = "http://x/a.xml";
    feed.Version = "0.91";
    feed.VersionName = "RSS 0.91";
    feed.Clear();
    EXPECT_TRUE(feed.Channel->Items.empty());
    EXPECT_EQ(feed.Version, "2.0");
    EXPECT_EQ(feed.VersionName, "RSS2.0");
    EXPECT_TRUE(feed.FeedInfo->LocalFile.empty() && feed.FeedInfo->RemoteFile.empty());
    ASSERT_TRUE(feed.OnParsed);
    feed.OnParsed(feed);
    EXPECT_EQ(parsed, 1);
}

TEST(FeedModelTest, SkipIndexesOutsideTheirRangeRaise) {
    TFeedChannel ch;
    EXPECT_NO_THROW(ch.SetSkipHours(24, true));
    EXPECT_TRUE(ch.SkipHours(24));
    EXPECT_THROW(ch.SetSkipHours(25, true), std::out_of_range);
    EXPECT_THROW(ch.SetSkipHours(-1, true), std::out_of_range);
    EXPECT_THROW((void)ch.SkipDays(7), std::out_of_range);
    EXPECT_NO_THROW(ch.SetSkipDays(6, true));
}

TEST(FeedModelTest, ImageFormatFollowsTheLastThreeLetters) {
    EXPECT_EQ(ImageFormatOf("logo.JPG"), kImageFormatJpeg);
    EXPECT_EQ(ImageFormatOf("http://x/a.png"), kImageFormatPng);
    EXPECT_EQ(ImageFormatOf("a.jpeg"), kImageFormatOther);
    EXPECT_EQ(ImageFormatOf("a.gif"), kImageFormatOther);
}

TEST(CompoundSummaryTest, PairsAreQuotedAndSeparatedByTwoBlanks) {
    EXPECT_EQ(CategorySummary("Local", ""), "Local");
    EXPECT_EQ(CategorySummary("Local", "dmoz"), "Local  domain=\"dmoz\"");
    EXPECT_EQ(CategorySummary("", "dmoz"), "  domain=\"dmoz\"");

    TFeedChannel ch;
    EXPECT_EQ(CloudSummary(ch), "");
    ch.CloudPort = "80";
    EXPECT_EQ(CloudSummary(ch), "domain=\"\"  port=\"80\"  path=\"\"  registerProcedure=\"\"  protocol=\"\"");
    EXPECT_EQ(TextInputSummary(ch), "");
    ch.TextInputLink = "l";
    EXPECT_EQ(TextInputSummary(ch), "title=\"\"  description=\"\"  name=\"\"  link=\"l\"");

    TFeedItem item;
    EXPECT_EQ(GuidSummary(item), "");
    item.Guid = "g";
    item.GuidIsPermaLink = "";
    EXPECT_EQ(GuidSummary(item), "g  isPermaLink=\"true\"");
    item.GuidIsPermaLink = "FALSE";
    EXPECT_EQ(GuidSummary(item), "g  isPermaLink=\"false\"");
    item.Source = "s";
    EXPECT_EQ(SourceSummary(item), "s");
    item.SourceUrl = "u";
    EXPECT_EQ(SourceSummary(item), "s  url=\"u\"");
    item.EnclosureType = "audio/mpeg";
    EXPECT_EQ(EnclosureSummary(item), "");
    item.EnclosureUrl = "e";
    EXPECT_EQ(EnclosureSummary(item), "url=\"e\"  length=\"\"  type=\"audio/mpeg\"");
}

std::string Build(TFeed& feed, XmlLayout layout = XmlLayout::Readable) {
    feed.BuildXml();
    return feed.XmlDoc->WriteToString(layout);
}

TEST(FeedWriterTest, WritesTheWorkedExampleByteForByte) {
    ScopedTimeZone zone(test::kUtc);
    ScopedClock clock(kBuildTime);
    TFeed feed;
    TFeedChannel& ch = *feed.Channel;
    ch.Title = "News";
    ch.Description = "Daily";
    ch.Category = "Local";
    ch.Language = "en-us";
    ch.SetSkipDays(0, true);
    ch.SetSkipHours(0, true);
    ch.SetSkipHours(23, true);
    auto item = std::make_unique<TFeedItem>();
    item->Title = "Hello";
    item->Description = "Caf\xC3\xA9";
    item->Guid = "item-1";
    item->GuidIsPermaLink = "false";
    ch.Items.push_back(std::move(item));

    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
        "<rss version=\"2.0\">\r\n"
        "  <channel>\r\n"
        "    <title>News</title>\r\n"
        "    <description>Daily</description>\r\n"
        "    <link></link>\r\n"
        "    <category domain=\"\">Local</category>\r\n"
        "    <language>en-us</language>\r\n"
        "    <lastBuildDate>Wed, 9 Dec 2026 16:09:09 +0000</lastBuildDate>\r\n"
        "    <skipDays>\r\n"
        "      <day>Sunday</day>\r\n"
        "    </skipDays>\r\n"
        "    <skipHours>\r\n"
        "      <hour>0</hour>\r\n"
        "      <hour>23</hour>\r\n"
        "    </skipHours>\r\n"
        "    <generator>Quorvane v1.0 (1.0.2.0)</generator>\r\n"
        "    <item>\r\n"
        "      <title>Hello</title>\r\n"
        "      <description>Caf&amp;#233;</description>\r\n"
        "      <link></link>\r\n"
        "      <guid isPermaLink=\"false\">item-1</guid>\r\n"
        "    </item>\r\n"
        "  </channel>\r\n"
        "</rss>";
    EXPECT_EQ(Build(feed), expected);
    EXPECT_EQ(ch.LastBuildDate, "Wed, 9 Dec 2026 16:09:09 +0000");
}

TEST(FeedWriterTest, EmptyFeedHasOnlyTheMandatoryElements) {
    ScopedTimeZone zone(test::kPlusTwo);
    ScopedClock clock(kBuildTime);
    TFeed feed;
    feed.Channel->SetSkipHours(24, true);  // never written
    feed.Channel->Image->Width = "88";     // width and height alone make no image
    feed.Channel->Image->Height = "31";
    feed.Channel->Generator = "Someone Else 1.0";
    EXPECT_EQ(Build(feed, XmlLayout::Compact),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<rss version=\"2.0\"><channel><title></title>"
              "<description></description><link></link><lastBuildDate>Wed, 9 Dec 2026 16:09:09 +0200"
              "</lastBuildDate><generator>Quorvane v1.0 (1.0.2.0)</generator></channel></rss>");
}

TEST(FeedWriterTest, ConditionsOfCompoundElements) {
    ScopedClock clock(kBuildTime);
    TFeed feed;
    feed.Channel->CategoryDomain = "d";  // a channel domain alone is written
    auto a = std::make_unique<TFeedItem>();
    a->CategoryDomain = "d";  // an item domain alone is not
    a->SourceUrl = "u";       // nor a source url alone
    a->EnclosureType = "t";   // but any enclosure part is
    a->Guid = "g";
    a->GuidIsPermaLink = "";
    feed.Channel->Items.push_back(std::move(a));
    auto b = std::make_unique<TFeedItem>();
    b->Guid = "h";  // a new item's guid carries "True"
    b->Title = "<&>'\" &#233; \t";
    feed.Channel->Items.push_back(std::move(b));
    const std::string xml = Build(feed, XmlLayout::Compact);
    EXPECT_NE(xml.find("<channel><title></title><description></description><link></link>"
                       "<category domain=\"d\"></category>"),
              std::string::npos);
    EXPECT_NE(xml.find("<item><title></title><description></description><link></link>"
                       "<enclosure url=\"\" length=\"\" type=\"t\"></enclosure><guid isPermaLink=\"\">g</guid></item>"),
              std::string::npos);
    EXPECT_NE(xml.find("<item><title>&lt;&amp;&gt;&apos;&quot; &amp;#233; &amp;#9;</title><description></description>"
                       "<link></link><guid isPermaLink=\"True\">h</guid></item>"),
              std::string::npos);
}

TEST(FeedWriterTest, EveryChannelElementInItsPlace) {
    ScopedTimeZone zone(test::kUtc);
    ScopedClock clock(kBuildTime);
    TFeed feed;
    TFeedChannel& c = *feed.Channel;
    c.Title = "T";
    c.Description = "D";
    c.Link = "L";
    c.Category = "C";
    c.CloudDomain = "cd";
    c.CloudPort = "80";
    c.CloudPath = "/p";
    c.CloudRegisterProcedure = "r";
    c.CloudProtocol = "xml-rpc";
    c.Copyright = "(c)";
    c.Docs = "docs";
    c.Language = "en";
    c.ManagingEditor = "me";
    c.PubDate = "Tue, 1 Jun 2004 10:00:00 +0000";
    c.Rating = "r";
    c.SetSkipDays(6, true);
    c.SetSkipDays(1, true);
    c.SetSkipHours(5, true);
    c.TextInputTitle = "tt";
    c.TextInputName = "q";
    c.Ttl = "60";
    c.WebMaster = "wm";
    c.Image->Url = "iu";
    c.Image->Height = "31";
    auto item = std::make_unique<TFeedItem>();
    item->Title = "it";
    item->Author = "a";
    item->Category = "ic";
    item->Comments = "cm";
    item->EnclosureUrl = "eu";
    item->EnclosureLength = "1";
    item->EnclosureType = "et";
    item->PubDate = "pd";
    item->Source = "src";
    item->SourceUrl = "su";
    c.Items.push_back(std::move(item));
    EXPECT_EQ(Build(feed, XmlLayout::Compact),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
              "<description>D</description><link>L</link><category domain=\"\">C</category>"
              "<cloud domain=\"cd\" port=\"80\" path=\"/p\" registerProcedure=\"r\" protocol=\"xml-rpc\"></cloud>"
              "<copyright>(c)</copyright><docs>docs</docs><language>en</language>"
              "<lastBuildDate>Wed, 9 Dec 2026 16:09:09 +0000</lastBuildDate><managingEditor>me</managingEditor>"
              "<pubDate>Tue, 1 Jun 2004 10:00:00 +0000</pubDate><rating>r</rating>"
              "<skipDays><day>Monday</day><day>Saturday</day></skipDays><skipHours><hour>5</hour></skipHours>"
              "<textInput title=\"tt\" description=\"\" name=\"q\" link=\"\"></textInput><ttl>60</ttl>"
              "<webMaster>wm</webMaster><generator>Quorvane v1.0 (1.0.2.0)</generator>"
              "<image><url>iu</url><height>31</height></image>"
              "<item><title>it</title><description></description><link></link><author>a</author>"
              "<category domain=\"\">ic</category><comments>cm</comments>"
              "<enclosure url=\"eu\" length=\"1\" type=\"et\"></enclosure><pubDate>pd</pubDate>"
              "<source url=\"su\">src</source></item></channel></rss>");
}

TEST(FeedSaveTest, SavingTwiceDiffersOnlyInLastBuildDate) {
    ScopedTimeZone zone(test::kUtc);
    TempDir dir;
    TFeed feed;
    feed.Channel->Title = "x";
    feed.FeedInfo->LocalFile = dir.File("a.xml");
    std::string first;
    {
        ScopedClock clock(kBuildTime);
        ASSERT_EQ(feed.SaveToFile(), kLoaded);
        first = ReadAll(feed.FeedInfo->LocalFile);
    }
    ScopedClock later(DateTime{2026, 12, 10, 8, 0, 0});
    ASSERT_EQ(feed.SaveToFile(), kLoaded);
    std::string second = ReadAll(feed.FeedInfo->LocalFile);
    const auto strip = [](std::string s) {
        const size_t a = s.find("<lastBuildDate>");
        const size_t b = s.find("</lastBuildDate>");
        return s.erase(a, b - a);
    };
    EXPECT_NE(first, second);
    EXPECT_EQ(strip(first), strip(second));
}

TEST(FeedSaveTest, FailedSaveLeavesTheOldFileAndReturnsThree) {
    TempDir dir;
    TFeed feed;
    feed.Channel->Title = "new";
    // A target in a folder that does not exist.
    feed.FeedInfo->LocalFile = dir.File("missing/a.xml");
    EXPECT_EQ(feed.SaveToFile(), kUnreadable);
    // A target that is a folder holding a file: the rename fails after the
    // new content was written, and neither the folder nor its file change.
    std::filesystem::create_directory(dir.File("folder.xml"));
    test::WriteAll(dir.File("folder.xml/old.txt"), "old content");
    feed.FeedInfo->LocalFile = dir.File("folder.xml");
    EXPECT_EQ(feed.SaveToFile(), kUnreadable);
    EXPECT_EQ(ReadAll(dir.File("folder.xml/old.txt")), "old content");
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "folder.xml");
}

}  // namespace
}  // namespace feed
