// Black-box tests of quorvane-cli: every test starts the real program, feeds it
// files, standard input or a local HTTP server, and looks only at its exit
// status, its standard output and error, and the files it leaves behind.
// Usage, loads, reading and conversion here; output files, downloads and the
// check in CliOutputTest.cpp.

#include "../feed/LocalHttpServer.h"
#include "CliRunner.h"
#include "CliSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::cli::test {
namespace {

// ---------------------------------------------------------------------------
// Usage

struct UsageCase {
    std::string name;
    std::vector<std::string> args;
};

const std::string kCafe = kData + "cafe-utf8.xml";

const UsageCase kUsageCases[] = {
    {"no_arguments", {}},
    {"unknown_command", {"show", kCafe}},
    {"command_in_capitals", {"DUMP", kCafe}},
    {"convert_without_source", {"convert"}},
    {"dump_without_source", {"dump"}},
    {"check_without_source", {"check", "--now", kNow}},
    {"empty_source", {"dump", ""}},
    {"unknown_option", {"convert", kCafe, "--pretty"}},
    {"compact_is_not_for_dump", {"dump", kCafe, "--compact"}},
    {"output_is_not_for_check", {"check", kCafe, "--output", "x.xml"}},
    {"output_without_file", {"convert", kCafe, "--output"}},
    {"now_without_value", {"convert", kCafe, "--now"}},
    {"now_with_blank_instead_of_T", {"convert", kCafe, "--now", "2026-12-09 16:09:09"}},
    {"now_without_seconds", {"convert", kCafe, "--now", "2026-12-09T16:09"}},
    {"now_month_13", {"convert", kCafe, "--now", "2026-13-09T16:09:09"}},
    {"now_february_29_of_common_year", {"convert", kCafe, "--now", "2026-02-29T12:00:00"}},
    {"now_hour_24", {"convert", kCafe, "--now", "2026-12-09T24:00:00"}},
    {"now_second_60", {"convert", kCafe, "--now", "2026-12-09T16:09:60"}},
    {"now_in_words", {"convert", kCafe, "--now", "tomorrow"}},
    {"two_sources", {"dump", kCafe, kCafe}},
    {"file_and_standard_input", {"convert", "-", kCafe}},
    {"export_is_not_available", {"export", kCafe, "--template", kCafe, "--output", "x.html"}},
    {"help_with_argument", {"--help", "dump"}},
};

class CliUsageTest : public testing::TestWithParam<UsageCase> {};

// A usage error says what is wrong in one line, then repeats the usage that
// --help prints, and never touches standard output.
TEST_P(CliUsageTest, RejectsWithOneLineAndTheUsage) {
    const Outcome o = RunCli(GetParam().args);
    EXPECT_EQ(o.exitCode, 64) << Describe(o);
    EXPECT_EQ(o.out, "");
    const size_t firstLineEnd = o.err.find('\n');
    ASSERT_NE(firstLineEnd, std::string::npos) << Describe(o);
    const std::string message = o.err.substr(0, firstLineEnd);
    EXPECT_FALSE(message.empty());
    EXPECT_NE(message.rfind("usage", 0), 0u) << "the message comes before the usage: " << message;
    EXPECT_EQ(o.err.substr(firstLineEnd + 1), HelpText());
}

INSTANTIATE_TEST_SUITE_P(Cli, CliUsageTest, testing::ValuesIn(kUsageCases),
                         [](const auto& info) { return info.param.name; });

TEST(CliUsage, HelpPrintsTheUsageOfEveryCommand) {
    const Outcome o = RunCli({"--help"});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.err, "");
    for (const char* word : {"convert SOURCE", "dump", "check", "export", "--compact", "--output", "--now",
                             "--template", "--kind", "--version"})
        EXPECT_NE(o.out.find(word), std::string::npos) << word << " missing from:\n" << o.out;
}

TEST(CliUsage, VersionPrintsOneLineWithTheFileVersion) {
    const Outcome o = RunCli({"--version"});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.err, "");
    ASSERT_EQ(SplitLines(o.out).size(), 1u) << o.out;
    EXPECT_NE(o.out.find("1.0.2.0"), std::string::npos) << o.out;
}

TEST(CliUsage, OptionsMayComeBeforeOrAfterTheSource) {
    const Outcome before = RunCli({"convert", "--now", kNow, "--compact", kCafe});
    const Outcome after = RunCli({"convert", kCafe, "--compact", "--now", kNow});
    EXPECT_EQ(before.exitCode, 0) << Describe(before);
    EXPECT_EQ(before.out, after.out);
    EXPECT_NE(before.out.find("<lastBuildDate>" + kNowAtUtc + "</lastBuildDate>"), std::string::npos) << before.out;
}

// ---------------------------------------------------------------------------
// The build time

struct NowCase {
    std::string name;
    std::string tz;
    std::string now;
    std::string lastBuildDate;
};

const NowCase kNowCases[] = {
    {"winter_day_at_utc", kUtc, kNow, kNowAtUtc},
    {"leap_day", kUtc, "2024-02-29T23:59:59", "Thu, 29 Feb 2024 23:59:59 +0000"},
    {"new_year_2000", kUtc, "2000-01-01T00:00:00", "Sat, 1 Jan 2000 00:00:00 +0000"},
    {"central_europe_winter", kCentralEurope, kNow, "Wed, 9 Dec 2026 16:09:09 +0100"},
    // The offset is the one in force on that date, not today's.
    {"central_europe_summer", kCentralEurope, "2026-07-01T12:00:00", "Wed, 1 Jul 2026 12:00:00 +0200"},
    {"new_york_summer", "EST5EDT,M3.2.0,M11.1.0", "2026-06-15T08:00:00", "Mon, 15 Jun 2026 08:00:00 -0400"},
};

class CliNowTest : public testing::TestWithParam<NowCase> {};

TEST_P(CliNowTest, StampsTheLastBuildDateInLocalTime) {
    const NowCase& c = GetParam();
    Launch how;
    how.tz = c.tz;
    const Outcome o = RunCli({"convert", kCafe, "--now", c.now}, how);
    ASSERT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_NE(o.out.find("\r\n    <lastBuildDate>" + c.lastBuildDate + "</lastBuildDate>\r\n"), std::string::npos)
        << o.out;
}

INSTANTIATE_TEST_SUITE_P(Cli, CliNowTest, testing::ValuesIn(kNowCases),
                         [](const auto& info) { return info.param.name; });

TEST(CliNow, WithoutNowTheBuildDateIsToday) {
    auto today = [] {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        gmtime_r(&t, &tm);
        char text[64];
        std::strftime(text, sizeof text, "%a, %d %b %Y", &tm);
        std::string s = text;
        if (s[5] == '0')
            s.erase(5, 1);  // the day of the month has no leading zero
        return s;
    };
    const std::string before = today();
    const Outcome o = RunCli({"convert", kCafe});
    const std::string after = today();
    ASSERT_EQ(o.exitCode, 0) << Describe(o);
    const std::regex stamp("<lastBuildDate>([^<]*) \\d\\d:\\d\\d:\\d\\d \\+0000</lastBuildDate>");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(o.out, m, stamp)) << o.out;
    EXPECT_TRUE(m[1] == before || m[1] == after) << m[1] << " is neither " << before << " nor " << after;
}

// ---------------------------------------------------------------------------
// Loads that fail

enum class SourceKind { Bytes, MissingFile, Directory };

struct FailureCase {
    std::string name;
    SourceKind kind;
    std::string bytes;
    int status;
    std::string message;
    std::string detail;  // pattern of the second line of standard error; empty: there is none
};

const std::string kOpenFailed = "The file could not be opened.";
const std::string kUnreadable = "The file is in an unreadable format.";
const std::string kAnyPosition = "Line [0-9]+, column [0-9]+: .+";

const FailureCase kFailureCases[] = {
    {"missing_file", SourceKind::MissingFile, "", 1, kOpenFailed, ""},
    {"directory", SourceKind::Directory, "", 1, kOpenFailed, ""},
    {"unbalanced_tags", SourceKind::Bytes, "<rss version=\"2.0\"><channel><title>x</channel></rss>", 3, kUnreadable,
     kAnyPosition},
    {"unbalanced_tags_on_line_4", SourceKind::Bytes,
     "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n<title>x</channel>\n</rss>\n", 3, kUnreadable,
     "Line 4, column 9: .+"},
    {"unbalanced_tags_with_cr_line_ends", SourceKind::Bytes,
     "<?xml version=\"1.0\"?>\r<rss version=\"2.0\">\r<channel>\r<title>x</channel>\r</rss>\r", 3, kUnreadable,
     "Line 4, column 9: .+"},
    // Columns count characters, as an editor shows them, not bytes.
    {"unbalanced_tags_after_accents", SourceKind::Bytes,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
     "<title>Caf\xc3\xa9 \xf0\x9f\x98\x80</channel>\n</rss>\n",
     3, kUnreadable, "Line 4, column 14: .+"},
    {"unclosed_root", SourceKind::Bytes, "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel></channel>\n", 3,
     kUnreadable, kAnyPosition},
    {"empty_file", SourceKind::Bytes, "", 3, kUnreadable, kAnyPosition},
    {"plain_text", SourceKind::Bytes, "hello, world\n", 3, kUnreadable, kAnyPosition},
    {"rss_without_channel", SourceKind::Bytes, "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"></rss>\n", 4, kUnreadable,
     ""},
    {"rss_0_9", SourceKind::Bytes, Rss("<title>x</title>", "0.9"), 4, kUnreadable, ""},
    {"rdf_root", SourceKind::Bytes,
     "<?xml version=\"1.0\"?>\n<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
     "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>x</title></channel></rdf:RDF>\n",
     4, kUnreadable, ""},
    {"atom_1_0", SourceKind::Bytes,
     "<?xml version=\"1.0\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>x</title>"
     "<entry><title>e</title></entry></feed>\n",
     4, kUnreadable, ""},
    {"atom_with_version_1_0", SourceKind::Bytes,
     "<?xml version=\"1.0\"?>\n<feed version=\"1.0\"><title>x</title></feed>\n", 4, kUnreadable, ""},
    {"skip_hour_25", SourceKind::Bytes, Rss("<title>x</title><skipHours><hour>25</hour></skipHours>"), 4, kUnreadable,
     ""},
    {"skip_hour_not_a_number", SourceKind::Bytes, Rss("<title>x</title><skipHours><hour>noon</hour></skipHours>"), 4,
     kUnreadable, ""},
    {"skip_day_funday", SourceKind::Bytes, Rss("<title>x</title><skipDays><day>Funday</day></skipDays>"), 4,
     kUnreadable, ""},
};

class CliLoadFailureTest : public testing::TestWithParam<FailureCase> {
protected:
    std::string Source() {
        const FailureCase& c = GetParam();
        switch (c.kind) {
            case SourceKind::MissingFile:
                return (dir_ / "no-such-feed.xml").string();
            case SourceKind::Directory:
                return dir_.Path().string();
            case SourceKind::Bytes:
                break;
        }
        return dir_.File("feed.xml", c.bytes);
    }
    TempDir dir_;
};

// Every command reports the load status as its exit status, explains it on
// standard error and writes nothing else.
TEST_P(CliLoadFailureTest, ExitsWithTheLoadStatusAndItsMessage) {
    const FailureCase& c = GetParam();
    const std::string source = Source();
    const std::string target = (dir_ / "out.xml").string();
    const std::vector<std::vector<std::string>> commands = {
        {"convert", source, "--now", kNow},
        {"convert", source, "--output", target},
        {"dump", source},
        {"check", source},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0] + (args.size() > 2 ? " " + args[2] : ""));
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.exitCode, c.status) << Describe(o);
        EXPECT_EQ(o.out, "");
        const std::vector<std::string> lines = SplitLines(o.err);
        ASSERT_FALSE(lines.empty()) << Describe(o);
        EXPECT_EQ(lines[0], c.message);
        if (c.detail.empty()) {
            EXPECT_EQ(lines.size(), 1u) << o.err;
        } else {
            ASSERT_EQ(lines.size(), 2u) << o.err;
            EXPECT_TRUE(std::regex_match(lines[1], std::regex(c.detail))) << lines[1] << " !~ " << c.detail;
        }
        EXPECT_FALSE(fs::exists(target)) << "a failed load must not write the output file";
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, CliLoadFailureTest, testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Standard input is read exactly like a file with the same bytes

std::string ManyItems(int count) {
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item><title>Item " + std::to_string(i) + "</title><description>Text of item " + std::to_string(i) +
                 " \xc3\xa9</description><guid>id-" + std::to_string(i) + "</guid></item>\n";
    return Rss("<title>Big</title><description>d</description><link>http://example.com/</link>" + items);
}

struct StdinCase {
    std::string name;
    std::string bytes;
    int status;
};

const StdinCase kStdinCases[] = {
    {"declared_utf8", ReadBytes(kData + "cafe-utf8.xml"), 0},
    {"windows_1252", ReadBytes(kData + "cafe-windows-1252.xml"), 0},
    {"utf8_with_byte_order_mark", ReadBytes(kData + "cafe-utf8-bom.xml"), 0},
    {"utf16_little_endian", ReadBytes(kData + "cafe-utf16le-bom.xml"), 0},
    {"no_declaration", ReadBytes(kData + "cafe-no-declaration-utf8.xml"), 0},
    {"no_line_break_at_end", "<rss version=\"2.0\"><channel><title>T</title></channel></rss>", 0},
    {"text_over_lines_with_cr",
     "<?xml version=\"1.0\"?>\r<rss version=\"2.0\"><channel><title>T</title>"
     "<description>one\rtwo\r\rthree</description></channel></rss>\r",
     0},
    {"text_over_lines_with_lf",
     "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
     "<description>one\ntwo\n\nthree</description></channel></rss>\n",
     0},
    {"control_characters_before_declaration",
     "\x01\x02\r\n<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>T</title></channel></rss>", 0},
    {"many_items", ManyItems(3000), 0},
    {"empty", "", 3},
    {"unbalanced_tags", "<rss version=\"2.0\"><channel><title>x</channel></rss>", 3},
    {"rss_without_channel", "<?xml version=\"1.0\"?><rss version=\"2.0\"></rss>", 4},
};

class CliStdinTest : public testing::TestWithParam<StdinCase> {
protected:
    TempDir dir_;
};

TEST_P(CliStdinTest, GivesWhatTheFileGives) {
    const StdinCase& c = GetParam();
    const std::string file = dir_.File("feed.xml", c.bytes);
    const std::vector<std::vector<std::string>> commands = {{"convert", "SOURCE", "--now", kNow},
                                                            {"convert", "SOURCE", "--compact", "--now", kNow},
                                                            {"dump", "SOURCE"},
                                                            {"check", "SOURCE"}};
    for (auto args : commands) {
        SCOPED_TRACE(args[0] + (args.size() > 4 ? " --compact" : ""));
        args[1] = file;
        const Outcome fromFile = RunCli(args);
        args[1] = "-";
        Launch how;
        how.input = c.bytes;
        const Outcome fromStdin = RunCli(args, how);
        if (args[0] != "check") {
            EXPECT_EQ(fromFile.exitCode, c.status) << Describe(fromFile);
        }
        EXPECT_EQ(fromStdin.exitCode, fromFile.exitCode) << Describe(fromStdin);
        EXPECT_EQ(fromStdin.out, fromFile.out);
        EXPECT_EQ(fromStdin.err, fromFile.err);
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, CliStdinTest, testing::ValuesIn(kStdinCases),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// Encodings: the same words in different bytes are the same feed

const std::vector<std::string> kCafeVariants = {
    "cafe-utf8-bom.xml",    "cafe-windows-1252.xml", "cafe-undeclared-1252.xml", "cafe-no-declaration-utf8.xml",
    "cafe-utf16le-bom.xml", "cafe-utf16be-bom.xml",
};

TEST(CliEncoding, UnicodeTextIsReadFromUtf8) {
    const Json dump = ParseDump(RunCli({"dump", kCafe}));
    EXPECT_EQ(dump["channel"]["Title"], "Caf\xc3\xa9");
    EXPECT_EQ(dump["channel"]["Description"],
              "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
              "e for 5 \xe2\x82\xac \xe2\x80\x93 every day");
    EXPECT_EQ(dump["items"][0]["Description"], "Menu: caf\xc3\xa9 au lait, th\xc3\xa9, \xc5\x93ufs");
}

TEST(CliEncoding, NonAsciiIsWrittenAsEscapedWindows1252References) {
    const Outcome o = RunCli({"convert", kCafe, "--now", kNow});
    ASSERT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_NE(o.out.find("<title>Caf&amp;#233;</title>"), std::string::npos) << o.out;
    // The euro sign, the en dash and the oe ligature use their Windows-1252 byte values.
    EXPECT_NE(o.out.find("<description>Cr&amp;#232;me br&amp;#251;l&amp;#233;e for 5 &amp;#128; &amp;#150; every "
                         "day</description>"),
              std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("th&amp;#233;, &amp;#156;ufs"), std::string::npos) << o.out;
}

TEST(CliEncoding, EveryEncodingOfTheSameFeedDumpsAndConvertsAlike) {
    const Outcome dumpUtf8 = RunCli({"dump", kCafe});
    const Outcome convertUtf8 = RunCli({"convert", kCafe, "--now", kNow});
    ASSERT_EQ(dumpUtf8.exitCode, 0) << Describe(dumpUtf8);
    ASSERT_EQ(convertUtf8.exitCode, 0) << Describe(convertUtf8);
    for (const auto& name : kCafeVariants) {
        SCOPED_TRACE(name);
        const Outcome dump = RunCli({"dump", kData + name});
        EXPECT_EQ(dump.exitCode, 0) << Describe(dump);
        EXPECT_EQ(dump.out, dumpUtf8.out);
        const Outcome convert = RunCli({"convert", kData + name, "--now", kNow});
        EXPECT_EQ(convert.exitCode, 0) << Describe(convert);
        EXPECT_EQ(convert.out, convertUtf8.out);
    }
}

// ---------------------------------------------------------------------------
// Reading: what the model holds after a load

struct ReadCase {
    std::string name;
    std::string source;  // a file of the data folder, or the bytes of a feed when it starts with "<" or a control
    std::vector<std::pair<std::string, Json>> expected;  // JSON pointer into the dump, value
    std::string tz = kUtc;
};

std::string Item(const std::string& content) {
    return "<item>" + content + "</item>";
}

const ReadCase kReadCases[] = {
    {"upper_case_tags",
     "upper-case.xml",
     {{"/versionName", "RSS 2.0"},
      {"/channel/Title", "Shouting News"},
      {"/channel/Description", "Everything in capitals"},
      {"/channel/Link", "http://example.com/loud/"},
      {"/channel/WebMaster", "boss@example.com"},
      {"/items/0/Title", "First"},
      {"/items/0/Link", "http://example.com/loud/1"},
      {"/items/0/Guid", "loud-1"},
      {"/items/0/GuidIsPermaLink", "false"}}},
    {"wordpress_extensions_are_dropped",
     "wordpress.xml",
     {{"/channel/Title", "Blog"},
      {"/channel/Link", "https://example.org"},
      {"/channel/Description", "Just another site"},
      {"/channel/Language", "en-US"},
      {"/items/0/Title", "First post"},
      {"/items/0/Link", "https://example.org/first/"},
      {"/items/0/Description", "Short & sweet"},
      {"/items/0/Comments", "https://example.org/first/#respond"},
      {"/items/0/Category", "News"},
      {"/items/0/Guid", "https://example.org/?p=1"},
      {"/items/0/GuidIsPermaLink", "false"},
      {"/items/0/PubDate", "Mon, 7 Dec 2026 09:30:00 +0000"},
      {"/items/1", nullptr}}},
    {"single_quoted_attributes",
     Rss("<title>T</title>" + Item("<title>i</title><guid isPermaLink='false'>g-1</guid>"
                                   "<category domain='http://cats.example.com/'>Cats</category>"
                                   "<enclosure url='http://example.com/a.mp3' length='42' type='audio/mpeg'/>")),
     {{"/items/0/Guid", "g-1"},
      {"/items/0/GuidIsPermaLink", "false"},
      {"/items/0/CategoryDomain", "http://cats.example.com/"},
      {"/items/0/EnclosureUrl", "http://example.com/a.mp3"},
      {"/items/0/EnclosureLength", "42"}}},
    {"greater_than_in_text",
     Rss("<title>5 > 3</title>" + Item("<title>a -> b</title><description>if x > 3 then y</description>")),
     {{"/channel/Title", "5 > 3"}, {"/items/0/Title", "a -> b"}, {"/items/0/Description", "if x > 3 then y"}}},
    {"raw_html_becomes_text",
     Rss("<title>T</title>" + Item("<title>i</title><description>Hello <b>World</b><br/></description>")),
     {{"/items/0/Description", "Hello <b>World</b><br/>"}}},
    {"cdata_html_becomes_text",
     Rss("<title>T</title>" + Item("<title>i</title><description><![CDATA[<p>Hi & bye</p>]]></description>")),
     {{"/items/0/Description", "<p>Hi & bye</p>"}}},
    {"escaped_html_is_unescaped_once",
     Rss("<title>T</title>" +
         Item("<title>i</title><description>&lt;p&gt;Fish &amp;amp; chips&lt;/p&gt;</description>")),
     {{"/items/0/Description", "<p>Fish &amp; chips</p>"}}},
    {"stray_ampersands_are_text",
     Rss("<title>AT&T &nbsp; Q&A</title><link>http://example.com/?a=1&b=2</link>"),
     {{"/channel/Title", "AT&T &nbsp; Q&A"}, {"/channel/Link", "http://example.com/?a=1&b=2"}}},
    {"numeric_references",
     Rss("<title>&#233;|&#xE9;|&#8364;|&#128;|&#150;|&#128512;|&amp;#233;|&amp;#128;|&amp;#128512;</title>"),
     {{"/channel/Title",
       "\xc3\xa9|\xc3\xa9|\xe2\x82\xac|\xe2\x82\xac|\xe2\x80\x93|\xf0\x9f\x98\x80|\xc3\xa9|"
       "\xe2\x82\xac|\xf0\x9f\x98\x80"}}},
    {"guid_without_permalink_attribute",
     Rss("<title>T</title>" + Item("<title>i</title><guid>plain</guid>") + Item("<title>j</title>")),
     {{"/items/0/GuidIsPermaLink", ""}, {"/items/1/GuidIsPermaLink", "True"}}},
    {"last_title_wins_and_image_title_is_the_image_s",
     Rss("<image><title>Logo</title><url>http://example.com/l.png</url></image><title>A</title><title>B</title>"),
     {{"/channel/Title", "B"}, {"/channel/Image/Title", "Logo"}, {"/channel/Image/Url", "http://example.com/l.png"}}},
    {"blanks_inside_tags",
     Rss("< title >T</title ><description  >D</description >"),
     {{"/channel/Title", "T"}, {"/channel/Description", "D"}}},
    {"names_that_only_start_like_known_ones",
     Rss("<title>T</title><linkage>no</linkage><link>L</link><titles>no</titles>" +
         Item("<title>i</title><sourceinfo>no</sourceinfo><guidance>no</guidance><link>http://example.com/i</link>")),
     {{"/channel/Title", "T"},
      {"/channel/Link", "L"},
      {"/items/0/Link", "http://example.com/i"},
      {"/items/0/Guid", ""},
      {"/items/0/Source", ""}}},
    {"items_outside_the_channel_are_not_read",
     "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title></channel>"
     "<item><title>outside</title></item></rss>\n",
     {{"/channel/Title", "T"}, {"/items", Json::array()}}},
    {"text_input_with_child_elements",
     Rss("<title>T</title><textInput><title>Search</title><name>q</name></textInput>"),
     {{"/channel/Title", "T"}, {"/channel/TextInputTitle", ""}, {"/channel/TextInputName", ""}}},
    {"skip_hours_and_days",
     Rss("<title>T</title><skipHours><hour>23</hour><hour>0</hour><hour>24</hour><!-- none at noon --></skipHours>"
         "<skipDays><day>saturday</day><day>SUNDAY</day><day>Wednesday</day></skipDays>"),
     {{"/channel/SkipHours", Json::array({0, 23, 24})}, {"/channel/SkipDays", Json::array({0, 3, 6})}}},
    {"rss_version_3_is_read",
     Rss("<title>Future</title>" + Item("<title>i</title>"), "3.0"),
     {{"/versionName", "RSS Unknown"}, {"/version", "3.0"}, {"/channel/Title", "Future"}, {"/items/0/Title", "i"}}},
    {"rss_without_version_is_read",
     "<?xml version=\"1.0\"?>\n<rss><channel><title>Bare</title></channel></rss>\n",
     {{"/versionName", "RSS Unknown"}, {"/version", ""}, {"/channel/Title", "Bare"}}},
    {"rss_version_2_short", Rss("<title>T</title>", "2"), {{"/versionName", "RSS 2.0"}, {"/version", "2"}}},
    {"rss_0_91_with_doctype",
     "<?xml version=\"1.0\"?>\n<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
     "\"http://my.netscape.com/publish/formats/rss-0.91.dtd\">\n<rss version=\"0.91\"><channel><title>Old</title>"
     "<item><title>i</title></item></channel></rss>\n",
     {{"/versionName", "RSS 0.91"}, {"/channel/Title", "Old"}, {"/items/0/Title", "i"}}},
    {"style_sheet_before_the_root",
     "<?xml version=\"1.0\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"feed.xsl\"?>\n"
     "<rss version=\"2.0\"><channel><title>Styled</title></channel></rss>\n",
     {{"/channel/Title", "Styled"}}},
    {"blank_lines_and_a_blank_before_the_declaration",
     "\r\n\r\n <?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Late</title></channel></rss>\n",
     {{"/channel/Title", "Late"}}},
    {"atom_0_3",
     "atom-0.3.xml",
     {{"/versionName", "Atom 0.3"},
      {"/version", "0.3"},
      {"/channel/Title", "Dive & Swim"},
      {"/channel/Link", "http://example.org/"},
      {"/channel/Description", "All about diving"},
      {"/channel/ManagingEditor", "mark@example.org"},
      {"/channel/Copyright", "Copyright 2004"},
      {"/channel/Generator", "Gen"},
      {"/channel/Docs", "docs here"},
      {"/channel/LastBuildDate", "Tue, 1 Jun 2004 10:00:00 +0000"},
      {"/channel/PubDate", "Tue, 1 Jun 2004 10:00:00 +0000"},
      {"/items/0/Title", "First"},
      {"/items/0/Link", "http://example.org/1"},
      {"/items/0/Author", "m1@example.org"},
      {"/items/0/Guid", "tag:example.org,2004:1"},
      {"/items/0/GuidIsPermaLink", "True"},
      {"/items/0/PubDate", "Thu, 15 Jan 2004 08:30:00 +0000"},
      {"/items/0/Description", "the summary"},
      {"/items/1/Title", "Second"},
      {"/items/1/Description", "only content"},
      {"/items/2", nullptr}}},
    // Dates keep their instant and are shown in local time with the offset of that date.
    {"atom_dates_in_central_europe",
     "atom-0.3.xml",
     {{"/channel/LastBuildDate", "Tue, 1 Jun 2004 12:00:00 +0200"},
      {"/items/0/PubDate", "Thu, 15 Jan 2004 09:30:00 +0100"}},
     kCentralEurope},
    {"rss_dates_in_central_europe",
     Rss("<title>T</title><pubDate>Tue, 01 Jun 2004 10:00:00 GMT</pubDate>"
         "<lastBuildDate>01 Jan 2004 10:00:00 -0500</lastBuildDate>" +
         Item("<title>no zone</title><pubDate>Tue, 01 Jun 2004 10:00:00</pubDate>") +
         Item("<title>not a date</title><pubDate>soon</pubDate>") +
         Item("<title>eastern</title><pubDate>Mon, 07 Dec 2026 09:30:00 EST</pubDate>")),
     {{"/channel/PubDate", "Tue, 1 Jun 2004 12:00:00 +0200"},
      {"/channel/LastBuildDate", "Thu, 1 Jan 2004 16:00:00 +0100"},
      {"/items/0/PubDate", "Tue, 1 Jun 2004 10:00:00 +0200"},
      {"/items/1/PubDate", "soon"},
      {"/items/2/PubDate", "Mon, 7 Dec 2026 15:30:00 +0100"}},
     kCentralEurope},
    // Valid feeds whose HTML, kept as character data, uses names of feed elements.
    {"cdata_with_video_source",
     Rss("<title>T</title>" +
         Item("<title>Clip</title><link>http://example.com/clip</link>"
              "<content:encoded><![CDATA[<video controls><source src=\"clip.mp4\" type=\"video/mp4\"></video>]]>"
              "</content:encoded>")),
     {{"/items/0/Title", "Clip"}, {"/items/0/Link", "http://example.com/clip"}, {"/items/0/Source", ""}}},
    {"cdata_with_picture_source",
     Rss("<title>T</title>" +
         Item("<title>Photo</title><description><![CDATA[<picture><source srcset=\"a.webp\"><img src=\"a.jpg\">"
              "</picture>]]></description>")),
     {{"/items/0/Title", "Photo"},
      {"/items/0/Description", "<picture><source srcset=\"a.webp\"><img src=\"a.jpg\"></picture>"}}},
    {"cdata_with_details_summary",
     Rss("<title>T</title>" +
         Item("<title>FAQ</title><description><![CDATA[<details><summary>More</summary>Body</details>]]>"
              "</description>")),
     {{"/items/0/Description", "<details><summary>More</summary>Body</details>"}}},
};

class CliReadTest : public testing::TestWithParam<ReadCase> {
protected:
    TempDir dir_;
};

TEST_P(CliReadTest, DumpShowsTheFields) {
    const ReadCase& c = GetParam();
    const bool isInline = !c.source.empty() && (c.source[0] == '<' || static_cast<unsigned char>(c.source[0]) < 32);
    const std::string path = isInline ? dir_.File("feed.xml", c.source) : kData + c.source;
    Launch how;
    how.tz = c.tz;
    const Json dump = ParseDump(RunCli({"dump", path}, how));
    ASSERT_FALSE(dump.is_null());
    for (const auto& [pointer, value] : c.expected) {
        const Json::json_pointer at(pointer);
        if (value.is_null()) {
            EXPECT_FALSE(dump.contains(at)) << pointer << " should not exist";
            continue;
        }
        ASSERT_TRUE(dump.contains(at)) << pointer << " missing in " << dump.dump();
        EXPECT_EQ(dump.at(at), value) << pointer;
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, CliReadTest, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------
// The dump's shape

std::vector<std::string> Keys(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items())
        keys.push_back(key);
    return keys;
}

TEST(CliDump, KeysComeInTheDocumentedOrder) {
    const Outcome o = RunCli({"dump", kData + "all-fields.xml"});
    const Json dump = ParseDump(o);
    ASSERT_TRUE(dump.is_object());
    EXPECT_EQ(o.out.rfind("{\"status\":0,", 0), 0u) << o.out.substr(0, 40);
    EXPECT_EQ(Keys(dump), (std::vector<std::string>{"status", "versionName", "version", "channel", "items"}));
    EXPECT_EQ(dump["status"], 0);
    EXPECT_EQ(Keys(dump["channel"]), (std::vector<std::string>{"Title",
                                                               "Description",
                                                               "Link",
                                                               "Language",
                                                               "Copyright",
                                                               "ManagingEditor",
                                                               "WebMaster",
                                                               "PubDate",
                                                               "LastBuildDate",
                                                               "Category",
                                                               "CategoryDomain",
                                                               "Generator",
                                                               "Docs",
                                                               "CloudDomain",
                                                               "CloudPort",
                                                               "CloudPath",
                                                               "CloudRegisterProcedure",
                                                               "CloudProtocol",
                                                               "Ttl",
                                                               "Rating",
                                                               "TextInputTitle",
                                                               "TextInputDescription",
                                                               "TextInputName",
                                                               "TextInputLink",
                                                               "SkipHours",
                                                               "SkipDays",
                                                               "Image"}));
    EXPECT_EQ(Keys(dump["channel"]["Image"]),
              (std::vector<std::string>{"Url", "Title", "Link", "Description", "Width", "Height"}));
    ASSERT_EQ(dump["items"].size(), 2u);
    for (const auto& item : dump["items"])
        EXPECT_EQ(Keys(item),
                  (std::vector<std::string>{"Title", "Description", "Link", "Author", "Category", "CategoryDomain",
                                            "Comments", "EnclosureUrl", "EnclosureLength", "EnclosureType", "Guid",
                                            "GuidIsPermaLink", "PubDate", "Source", "SourceUrl"}));
}

TEST(CliDump, EveryFieldOfARichFeed) {
    const Json dump = ParseDump(RunCli({"dump", kData + "all-fields.xml"}));
    const Json expected = Json::parse(ReadBytes(kData + "all-fields.dump.json"));
    EXPECT_EQ(dump, expected) << dump.dump(2);
}

// ---------------------------------------------------------------------------
// Writing

TEST(CliConvert, AFileInTheReadableLayoutConvertsToItself) {
    const std::string original = ReadBytes(kData + "readable-layout.xml");
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(Convert(kData + "readable-layout.xml"), original);
}

TEST(CliConvert, EveryFieldInItsPlace) {
    EXPECT_EQ(Convert(kData + "all-fields.xml"), ReadBytes(kData + "all-fields.converted.xml"));
}

struct WriteCase {
    std::string name;
    std::string channelContent;
    std::vector<std::string> channelLines;  // the lines between <channel> and </channel>
};

const std::string kEmptyTitle = "    <title></title>";
const std::string kEmptyDescription = "    <description></description>";
const std::string kEmptyLink = "    <link></link>";
const std::string kBuiltLine = "    <lastBuildDate>" + kNowAtUtc + "</lastBuildDate>";
const std::string kGeneratorLine = "    " + kGenerator;

const WriteCase kWriteCases[] = {
    {"empty_channel", "", {kEmptyTitle, kEmptyDescription, kEmptyLink, kBuiltLine, kGeneratorLine}},
    {"channel_category_with_domain_only",
     "<category domain=\"http://d.example.com/\"/>",
     {kEmptyTitle, kEmptyDescription, kEmptyLink, "    <category domain=\"http://d.example.com/\"></category>",
      kBuiltLine, kGeneratorLine}},
    {"hour_24_alone_writes_no_skip_hours",
     "<skipHours><hour>24</hour></skipHours>",
     {kEmptyTitle, kEmptyDescription, kEmptyLink, kBuiltLine, kGeneratorLine}},
    {"image_with_size_only_writes_no_image",
     "<image><width>88</width><height>31</height></image>",
     {kEmptyTitle, kEmptyDescription, kEmptyLink, kBuiltLine, kGeneratorLine}},
    {"item_category_domain_and_source_url_alone_are_dropped",
     "<item><category domain=\"http://d.example.com/\"></category><source url=\"http://s.example.com/\"></source>"
     "<enclosure type=\"audio/mpeg\"/></item>",
     {kEmptyTitle, kEmptyDescription, kEmptyLink, kBuiltLine, kGeneratorLine, "    <item>", "      <title></title>",
      "      <description></description>", "      <link></link>",
      "      <enclosure url=\"\" length=\"\" type=\"audio/mpeg\"></enclosure>", "    </item>"}},
    {"markup_characters_are_escaped",
     "<title>Tom &amp; Jerry&apos;s &quot;big&quot; &lt;day&gt;</title>"
     "<textInput title=\"a&lt;b\" description=\"&quot;q&quot;\" name=\"n\" link=\"http://x/?a=1&amp;b=2\"/>",
     {"    <title>Tom &amp; Jerry&apos;s &quot;big&quot; &lt;day&gt;</title>", kEmptyDescription, kEmptyLink,
      kBuiltLine,
      "    <textInput title=\"a&lt;b\" description=\"&quot;q&quot;\" name=\"n\" link=\"http://x/?a=1&amp;b=2\">"
      "</textInput>",
      kGeneratorLine}},
};

class CliWriteTest : public testing::TestWithParam<WriteCase> {
protected:
    TempDir dir_;
};

TEST_P(CliWriteTest, WritesTheReadableLayout) {
    const WriteCase& c = GetParam();
    std::vector<std::string> lines = {kDeclaration, "<rss version=\"2.0\">", "  <channel>"};
    lines.insert(lines.end(), c.channelLines.begin(), c.channelLines.end());
    lines.push_back("  </channel>");
    lines.push_back("</rss>");
    EXPECT_EQ(Convert(dir_.File("feed.xml", Rss(c.channelContent))), CrLfLines(lines));
}

INSTANTIATE_TEST_SUITE_P(Cli, CliWriteTest, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return info.param.name; });

const std::vector<std::string> kAllFixtures = {
    "all-fields.xml",      "atom-0.3.xml", "cafe-utf8.xml",  "cafe-windows-1252.xml", "cafe-utf16le-bom.xml",
    "readable-layout.xml", "unicode.xml",  "upper-case.xml", "wordpress.xml",
};

TEST(CliConvert, CompactIsTheReadableTreeOnOneLine) {
    for (const auto& name : kAllFixtures) {
        SCOPED_TRACE(name);
        const std::string readable = Convert(kData + name);
        const std::string compact = Convert(kData + name, true);
        ASSERT_EQ(compact.rfind(kDeclaration + "\n<rss version=\"2.0\"><channel><title>", 0), 0u) << compact;
        const std::string tree = compact.substr(kDeclaration.size() + 1);
        EXPECT_EQ(tree.find_first_of("\r\n"), std::string::npos) << "the tree must be on one line";
        EXPECT_EQ(tree.substr(tree.size() - 16), "</channel></rss>");
        // The readable layout differs only by the line breaks and indents between tags.
        const std::string flattened =
            std::regex_replace(readable.substr(kDeclaration.size() + 2), std::regex("\r\n *"), "");
        EXPECT_EQ(tree, flattened);
        EXPECT_EQ(readable.substr(kDeclaration.size(), 2), "\r\n");
        EXPECT_EQ(readable.substr(readable.size() - 6), "</rss>");
    }
}

TEST(CliConvert, OutputIsPureAscii) {
    for (const auto& name : kAllFixtures) {
        SCOPED_TRACE(name);
        const std::string text = Convert(kData + name);
        for (size_t i = 0; i < text.size(); ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            ASSERT_TRUE(c < 127 && (c >= 32 || c == '\r' || c == '\n')) << "byte " << int(c) << " at " << i;
        }
    }
}

// The converted file loads again into the same feed and converts to the same
// bytes, in either layout.
TEST(CliConvert, ConvertingTwiceChangesNothing) {
    TempDir dir;
    for (const auto& name : kAllFixtures) {
        SCOPED_TRACE(name);
        const std::string once = Convert(kData + name);
        const std::string readable = dir.File("readable.xml", once);
        EXPECT_EQ(Convert(readable), once);
        const std::string compact = dir.File("compact.xml", Convert(kData + name, true));
        EXPECT_EQ(Convert(compact), once);
    }
}

TEST(CliConvert, UnicodeTextSurvivesTheRoundTrip) {
    TempDir dir;
    for (const std::string name : {"unicode.xml", "cafe-utf8.xml", "wordpress.xml", "all-fields.xml"}) {
        SCOPED_TRACE(name);
        Json before = ParseDump(RunCli({"dump", kData + name}));
        const std::string converted = dir.File("converted.xml", Convert(kData + name));
        Json after = ParseDump(RunCli({"dump", converted}));
        ASSERT_FALSE(before.is_null());
        ASSERT_FALSE(after.is_null());
        // The build stamps its own time and generator; everything else is kept.
        EXPECT_EQ(after["channel"]["LastBuildDate"], kNowAtUtc);
        EXPECT_EQ(after["channel"]["Generator"], "Quorvane v1.0 (1.0.2.0)");
        for (Json* dump : {&before, &after}) {
            (*dump)["channel"].erase("LastBuildDate");
            (*dump)["channel"].erase("Generator");
            // Hour 24 is accepted from files but never written.
            Json hours = Json::array();
            for (const auto& hour : (*dump)["channel"]["SkipHours"])
                if (hour != 24)
                    hours.push_back(hour);
            (*dump)["channel"]["SkipHours"] = hours;
        }
        EXPECT_EQ(after, before);
    }
}

TEST(CliConvert, EmojiIsWrittenAsOneReferenceAndReadBack) {
    const std::string converted = Convert(kData + "unicode.xml");
    EXPECT_NE(converted.find("<title>Smile &amp;#128512; please</title>"), std::string::npos) << converted;
    Launch how;
    how.input = converted;
    const Json dump = ParseDump(RunCli({"dump", "-"}, how));
    EXPECT_EQ(dump["channel"]["Title"], "Smile \xf0\x9f\x98\x80 please");
    EXPECT_EQ(dump["items"][0]["Title"], "\xf0\x9f\x8e\x89 Party");
}

}  // namespace
}  // namespace quorvane::cli::test
