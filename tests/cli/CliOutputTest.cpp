// Black-box tests of quorvane-cli, continued: files written with --output,
// downloads from a local HTTP server and the check of required information.

#include "../feed/LocalHttpServer.h"
#include "CliRunner.h"
#include "CliSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quorvane::cli::test {
namespace {

// ---------------------------------------------------------------------------
// --output

class CliOutputTest : public testing::Test {
protected:
    TempDir dir_;
    const std::string source_ = kData + "cafe-utf8.xml";
    std::string Expected() { return Convert(source_); }
};

TEST_F(CliOutputTest, WritesTheFileInsteadOfStandardOutput) {
    const std::string target = (dir_ / "feed.xml").string();
    const Outcome o = RunCli({"convert", source_, "--now", kNow, "--output", target});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(ReadBytes(target), Expected());
    EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"feed.xml"}) << "no temporary file may stay behind";
}

TEST_F(CliOutputTest, ReplacesALongerFileWhole) {
    const std::string target = dir_.File("feed.xml", std::string(100000, 'x'));
    const Outcome o = RunCli({"convert", source_, "--now", kNow, "--output", target});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(ReadBytes(target), Expected());
}

TEST_F(CliOutputTest, MayReplaceItsOwnSource) {
    const std::string target = dir_.File("feed.xml", ReadBytes(source_));
    const Outcome o = RunCli({"convert", target, "--now", kNow, "--output", target});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(ReadBytes(target), Expected());
}

TEST_F(CliOutputTest, CompactGoesToTheFileToo) {
    const std::string target = (dir_ / "feed.xml").string();
    const Outcome o = RunCli({"convert", source_, "--compact", "--now", kNow, "--output", target});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(ReadBytes(target), Convert(source_, true));
}

TEST_F(CliOutputTest, AMissingFolderFailsAndCreatesNothing) {
    const std::string target = (dir_ / "missing" / "feed.xml").string();
    const Outcome o = RunCli({"convert", source_, "--now", kNow, "--output", target});
    EXPECT_NE(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.out, "");
    EXPECT_FALSE(o.err.empty());
    EXPECT_TRUE(Entries(dir_.Path()).empty());
}

TEST_F(CliOutputTest, ATargetThatCannotBeReplacedStaysUntouched) {
    // A folder with content cannot be replaced by a file.
    fs::create_directory(dir_ / "feed.xml");
    WriteBytes(dir_ / "feed.xml" / "keep.txt", "kept");
    const Outcome o = RunCli({"convert", source_, "--now", kNow, "--output", (dir_ / "feed.xml").string()});
    EXPECT_NE(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(fs::is_directory(dir_ / "feed.xml"));
    EXPECT_EQ(ReadBytes(dir_ / "feed.xml" / "keep.txt"), "kept");
    EXPECT_EQ(Entries(dir_.Path()), std::vector<std::string>{"feed.xml"}) << "no temporary file may stay behind";
}

// Saving through a symbolic link updates the file it points to, as every editor
// does; the link itself stays.
TEST_F(CliOutputTest, WritesThroughASymbolicLink) {
    fs::create_directory(dir_ / "site");
    const std::string real = dir_.File("site/feed.xml", "old");
    fs::create_symlink(real, dir_ / "feed.xml");
    const Outcome o = RunCli({"convert", source_, "--now", kNow, "--output", (dir_ / "feed.xml").string()});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_TRUE(fs::is_symlink(dir_ / "feed.xml")) << "the link was replaced by a file";
    EXPECT_EQ(ReadBytes(real), Expected());
}

TEST_F(CliOutputTest, AStandardOutputThatCannotBeWrittenIsAFailure) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    Launch how;
    how.stdoutPath = "/dev/full";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"convert", source_, "--now", kNow}, std::vector<std::string>{"dump", source_}}) {
        SCOPED_TRACE(args[0]);
        const Outcome o = RunCli(args, how);
        EXPECT_NE(o.exitCode, 0) << Describe(o);
    }
}

// ---------------------------------------------------------------------------
// Feeds over HTTP

struct HttpCase {
    std::string name;
    std::string scheme;  // "http://" in some letter case
    std::string path;
    std::string sameAsFile;  // a file of the data folder the download must read like; empty when it fails
};

const HttpCase kHttpCases[] = {
    {"file", "http://", "/file/wordpress.xml", "wordpress.xml"},
    {"scheme_in_capitals", "HTTP://", "/file/wordpress.xml", "wordpress.xml"},
    {"scheme_in_mixed_case", "hTtP://", "/file/atom-0.3.xml", "atom-0.3.xml"},
    {"windows_1252_bytes", "http://", "/file/cafe-windows-1252.xml", "cafe-windows-1252.xml"},
    {"utf16_bytes", "http://", "/file/cafe-utf16be-bom.xml", "cafe-utf16be-bom.xml"},
    {"after_one_redirect", "http://", "/redirect/1/file/all-fields.xml", "all-fields.xml"},
    {"after_three_redirects", "http://", "/redirect/3/file/upper-case.xml", "upper-case.xml"},
    {"after_ten_redirects", "http://", "/redirect/10/file/unicode.xml", "unicode.xml"},
    {"eleven_redirects_are_too_many", "http://", "/redirect/11/file/unicode.xml", ""},
    {"not_found", "http://", "/status/404", ""},
    {"missing_file", "http://", "/file/no-such-feed.xml", ""},
    {"server_error", "http://", "/status/500", ""},
    {"redirect_to_not_found", "http://", "/redirect/2/status/404", ""},
};

class CliHttpTest : public testing::TestWithParam<HttpCase> {
protected:
    static void SetUpTestSuite() { server_ = new feed::test::LocalHttpServer(kData); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }
    static std::string Address(const HttpCase& c) {
        return c.scheme + "127.0.0.1:" + std::to_string(server_->Port()) + c.path;
    }
    static feed::test::LocalHttpServer* server_;
};

feed::test::LocalHttpServer* CliHttpTest::server_ = nullptr;

TEST_P(CliHttpTest, DownloadsLikeTheFile) {
    const HttpCase& c = GetParam();
    const std::string address = Address(c);
    const std::vector<std::vector<std::string>> commands = {
        {"dump", "SOURCE"}, {"convert", "SOURCE", "--now", kNow}, {"check", "SOURCE"}};
    for (auto args : commands) {
        SCOPED_TRACE(args[0]);
        args[1] = address;
        const Outcome o = RunCli(args);
        if (c.sameAsFile.empty()) {
            EXPECT_EQ(o.exitCode, 1) << Describe(o);
            EXPECT_EQ(o.out, "");
            EXPECT_EQ(o.err, "The file could not be downloaded.\n");
        } else {
            args[1] = kData + c.sameAsFile;
            const Outcome local = RunCli(args);
            EXPECT_EQ(o.exitCode, local.exitCode) << Describe(o);
            EXPECT_EQ(o.out, local.out);
            EXPECT_EQ(o.err, local.err);
            if (args[0] == "dump") {
                EXPECT_EQ(o.exitCode, 0) << Describe(o);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, CliHttpTest, testing::ValuesIn(kHttpCases),
                         [](const auto& info) { return info.param.name; });

TEST(CliHttp, AnAddressNobodyAnswersIsADownloadFailure) {
    feed::test::BypassProxiesForLoopback();
    const int port = feed::test::ClosedLoopbackPort();
    ASSERT_GT(port, 0);
    for (const std::string scheme : {"http://", "https://", "HTTPS://"}) {
        const std::string address = scheme + "127.0.0.1:" + std::to_string(port) + "/feed.xml";
        SCOPED_TRACE(address);
        const Outcome o = RunCli({"dump", address});
        EXPECT_EQ(o.exitCode, 1) << Describe(o);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, "The file could not be downloaded.\n");
    }
}

// ---------------------------------------------------------------------------
// check

struct CheckCase {
    std::string name;
    std::string channelContent;
    std::vector<std::string> problems;  // the lines after the header; none for a complete feed
};

const std::string kComplete = "<title>T</title><description>D</description><link>http://example.com/</link>";

const CheckCase kCheckCases[] = {
    {"complete", kComplete + "<item><title>i</title></item>", {}},
    {"item_with_description_only", kComplete + "<item><description>d</description></item>", {}},
    {"untitled_item_with_description",
     kComplete + "<item><title>(untitled)</title><description>d</description></item>",
     {}},
    {"empty_channel",
     "",
     {"The feed's Title is missing.", "The feed's Description is missing.", "The feed's Link is missing.",
      "The feed must have at least one Item."}},
    {"untitled_with_trailing_blanks_and_blank_description",
     "<title>(untitled)   </title><description>  \t </description><link>http://example.com/</link>"
     "<item><title>i</title></item>",
     {"The feed's Title is missing.", "The feed's Description is missing."}},
    {"no_items", kComplete, {"The feed must have at least one Item."}},
    // A lone untouched "(untitled)" item is the placeholder of a new feed.
    {"only_an_untitled_placeholder_item",
     kComplete + "<item><title>(untitled)</title></item>",
     {"The feed must have at least one Item."}},
    {"two_bad_items",
     "<title>T</title><description>D</description>"
     "<item><title>(untitled)</title></item><item><title>ok</title></item><item><description> </description></item>",
     {"The feed's Link is missing.", "Each Item must have at least a Title or a Description,",
      "2 Items didn't have either."}},
    {"one_bad_item_among_several",
     kComplete + "<item><title>a</title></item><item><link>http://example.com/x</link></item>"
                 "<item><description>c</description></item>",
     {"Each Item must have at least a Title or a Description,", "1 Items didn't have either."}},
};

class CliCheckTest : public testing::TestWithParam<CheckCase> {
protected:
    TempDir dir_;
};

TEST_P(CliCheckTest, ListsWhatIsMissing) {
    const CheckCase& c = GetParam();
    const Outcome o = RunCli({"check", dir_.File("feed.xml", Rss(c.channelContent))});
    EXPECT_EQ(o.err, "");
    if (c.problems.empty()) {
        EXPECT_EQ(o.exitCode, 0) << Describe(o);
        EXPECT_EQ(o.out, "");
        return;
    }
    EXPECT_EQ(o.exitCode, 6) << Describe(o);
    std::string expected =
        "Your feed is missing some information that is required for it to be a valid RSS feed.\n"
        "A description of the missing information follows:\n\n";
    for (const auto& line : c.problems)
        expected += line + "\n";
    EXPECT_EQ(o.out, expected);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliCheckTest, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return info.param.name; });

TEST(CliCheck, AnAtomFeedIsCheckedAfterItsMapping) {
    const Outcome o = RunCli({"check", kData + "atom-0.3.xml"});
    EXPECT_EQ(o.exitCode, 0) << Describe(o);
    EXPECT_EQ(o.out, "");
}

}  // namespace
}  // namespace quorvane::cli::test
