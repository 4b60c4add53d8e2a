#include "feed/net/HttpClient.h"

#include "LocalHttpServer.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace feed {
namespace {

namespace fs = std::filesystem;

// A feed with a CR LF, a NUL and bytes of the upper half, to show that the body
// arrives untouched.
const std::string kFeedBytes = std::string("<?xml version=\"1.0\"?>\r\n<rss>") +
                               std::string("\0\x01\x7f\x80\xa9\xc3\xff", 7) + "</rss>\n";

// Every byte value once, in order: what the server's /bytes route answers.
std::string AllByteValues() {
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

class HttpClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "quorvane-http-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dataDir_ = new fs::path(pattern);
        std::ofstream(*dataDir_ / "feed.xml", std::ios::binary) << kFeedBytes;
        server_ = new test::LocalHttpServer(dataDir_->string());
    }

    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
        if (dataDir_) {
            std::error_code ignored;
            fs::remove_all(*dataDir_, ignored);
        }
        delete dataDir_;
        dataDir_ = nullptr;
    }

    static std::string Url(const std::string& path) { return server_->Url(path); }

    static void ExpectFailure(const HttpResult& result) {
        EXPECT_FALSE(result.Ok);
        EXPECT_TRUE(result.Body.empty());
        EXPECT_FALSE(result.Error.empty());
    }

    static inline fs::path* dataDir_ = nullptr;
    static inline test::LocalHttpServer* server_ = nullptr;
};

struct FetchCase {
    const char* name;
    const char* path;
    long status;                      // the final status expected; 0 for none
    std::optional<std::string> body;  // the body of a success; nullopt for a failure
};

const FetchCase kFetchCases[] = {
    {"File", "/file/feed.xml", 200, kFeedBytes},
    {"AllByteValues", "/bytes", 200, AllByteValues()},
    {"ThreeRedirects", "/redirect/3/file/feed.xml", 200, kFeedBytes},
    {"TenRedirects", "/redirect/10/file/feed.xml", 200, kFeedBytes},
    {"ElevenRedirects", "/redirect/11/file/feed.xml", 302, std::nullopt},
    {"MissingFile", "/file/absent.xml", 404, std::nullopt},
    {"NotFound", "/status/404", 404, std::nullopt},
    {"ServerError", "/status/500", 500, std::nullopt},
    {"RedirectWithoutLocation", "/status/302", 302, std::nullopt},
};

class HttpFetchTest : public HttpClientTest, public ::testing::WithParamInterface<FetchCase> {};

TEST_P(HttpFetchTest, ReportsTheOutcome) {
    const FetchCase& c = GetParam();
    const HttpResult result = MakeCurlHttpClient()->Get(Url(c.path));

    EXPECT_EQ(result.Status, c.status);
    if (c.body) {
        EXPECT_TRUE(result.Ok) << result.Error;
        EXPECT_EQ(result.Body, *c.body);
        EXPECT_TRUE(result.Error.empty()) << result.Error;
    } else {
        ExpectFailure(result);
    }
}

INSTANTIATE_TEST_SUITE_P(Server, HttpFetchTest, ::testing::ValuesIn(kFetchCases),
                         [](const auto& info) { return std::string(info.param.name); });


TEST_F(HttpClientTest, RefusedConnectionFails) {
    const int port = test::ClosedLoopbackPort();
    ASSERT_GT(port, 0);

    const HttpResult result =
        MakeCurlHttpClient()->Get("http://127.0.0.1:" + std::to_string(port) + "/feed.xml");

    ExpectFailure(result);
    EXPECT_EQ(result.Status, 0);
}

TEST_F(HttpClientTest, ServerSlowerThanTheTotalTimeOutFails) {
    HttpTimeouts timeouts;
    timeouts.TotalSeconds = 1;

    const HttpResult result = MakeCurlHttpClient(timeouts)->Get(Url("/slow/3/file/feed.xml"));

    ExpectFailure(result);
    EXPECT_EQ(result.Status, 0);
    EXPECT_NE(result.Error.find("timed out"), std::string::npos) << result.Error;
}

// Answers every request with the same marker body, without any network.
class FakeHttpClient : public HttpClient {
public:
    HttpResult Get(const std::string&) override {
        HttpResult result;
        result.Ok = true;
        result.Status = 200;
        result.Body = "from the fake";
        return result;
    }
};

TEST_F(HttpClientTest, ReplacedClientIsUsedUntilRestored) {
    SetHttpClient(std::make_unique<FakeHttpClient>());
    EXPECT_EQ(CurrentHttpClient().Get(Url("/file/feed.xml")).Body, "from the fake");

    SetHttpClient(nullptr);
    const HttpResult result = CurrentHttpClient().Get(Url("/file/feed.xml"));
    EXPECT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.Body, kFeedBytes);
}

struct AddressCase {
    const char* name;
    const char* address;
    const char* fetched;
};

const AddressCase kAddressCases[] = {
    {"NoScheme", "example.com/feed.xml", "http://example.com/feed.xml"},
    {"Http", "http://example.com/feed.xml", "http://example.com/feed.xml"},
    {"Https", "https://example.com/feed.xml", "https://example.com/feed.xml"},
    {"HttpsUpperCase", "HTTPS://x/y", "HTTPS://x/y"},
    {"HttpMixedCase", "Http://x", "Http://x"},
    {"OtherScheme", "ftp://x", "http://ftp://x"},
    {"SingleSlash", "http:/x", "http://http:/x"},
    {"Empty", "", "http://"},
};

class NormalizeFeedAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(NormalizeFeedAddressTest, PrefixesOnlyAddressesWithoutHttpScheme) {
    EXPECT_EQ(NormalizeFeedAddress(GetParam().address), GetParam().fetched);
}

INSTANTIATE_TEST_SUITE_P(Addresses, NormalizeFeedAddressTest, ::testing::ValuesIn(kAddressCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace feed
