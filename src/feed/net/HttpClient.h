#pragma once
// The HTTP seam of the format engine. Feed and image downloads go through the
// client in force, so tests can point the engine at a local server or replace
// the transport altogether.

#include <memory>
#include <string>
#include <string_view>

namespace feed {

struct HttpResult {
    bool Ok = false;          // true only for a complete 2xx answer
    long Status = 0;          // the final HTTP status, 0 when no answer came
    std::string Body;         // the response body, byte for byte (empty on failure)
    std::string Error;        // a short description of the failure, empty on success
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // GET of an address. Never throws: every failure is reported in the result.
    virtual HttpResult Get(const std::string& url) = 0;
};

// How long the libcurl client waits, in seconds: to connect, and for the
// whole transfer including redirects.
struct HttpTimeouts {
    long ConnectSeconds = 30;
    long TotalSeconds = 120;
};

// The libcurl client: http and https, at most 10 redirects followed,
// 30 s to connect and 120 s for the whole transfer.
std::unique_ptr<HttpClient> MakeCurlHttpClient();
// The same client with other time-outs (tests use short ones).
std::unique_ptr<HttpClient> MakeCurlHttpClient(HttpTimeouts timeouts);

// The client the engine uses; the libcurl one unless replaced. The reference
// stays valid until the next SetHttpClient, so replace the client only while
// no download is running.
HttpClient& CurrentHttpClient();
// Replaces the client in force; nullptr restores the libcurl one.
void SetHttpClient(std::unique_ptr<HttpClient> client);

// True when the address starts with "http://" or "https://" in any letter case.
bool HasHttpScheme(std::string_view address);

// The address as it is fetched: one that starts with neither "http://" nor
// "https://" (any letter case) gets "http://" in front; others stay as they are.
std::string NormalizeFeedAddress(const std::string& address);

}  // namespace feed
