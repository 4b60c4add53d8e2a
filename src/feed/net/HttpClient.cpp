#include "feed/net/HttpClient.h"

#include <curl/curl.h>

#include "feed/text/TextRoutines.h"

#include <cstddef>
#include <mutex>
#include <new>
#include <string>
#include <utility>

namespace feed {

namespace {

constexpr const char* kUserAgent = "Quorvane/1.0";
constexpr long kMaxRedirects = 10;

// curl_global_init is not thread-safe, so the first download of the process
// runs it exactly once; the outcome is kept for every later download.
CURLcode GlobalInitResult() {
    static std::once_flag once;
    static CURLcode result = CURLE_FAILED_INIT;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result;
}

// Appends a received block to the body; returning less than was offered makes
// libcurl abort the transfer, which is how an out-of-memory condition ends.
size_t AppendToBody(char* data, size_t size, size_t count, void* userdata) {
    const size_t bytes = size * count;
    try {
        static_cast<std::string*>(userdata)->append(data, bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

struct EasyHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

class CurlHttpClient final : public HttpClient {
public:
    explicit CurlHttpClient(HttpTimeouts timeouts) : timeouts_(timeouts) {}

    HttpResult Get(const std::string& url) override {
        try {
            return Fetch(url);
        } catch (const std::bad_alloc&) {
            return Failure(0, "out of memory");
        } catch (...) {
            return Failure(0, "unexpected error");
        }
    }

private:
    static HttpResult Failure(long status, std::string error) {
        HttpResult result;
        result.Status = status;
        result.Error = std::move(error);
        return result;
    }

    HttpResult Fetch(const std::string& url) const {
        if (GlobalInitResult() != CURLE_OK)
            return Failure(0, "the HTTP library could not be initialised");

        std::unique_ptr<CURL, EasyHandleDeleter> handle(curl_easy_init());
        if (!handle)
            return Failure(0, "the HTTP library could not be initialised");
        CURL* curl = handle.get();

        std::string body;
        char errorBuffer[CURL_ERROR_SIZE] = {};

        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeouts_.ConnectSeconds);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeouts_.TotalSeconds);
        // Signals would upset a multi-threaded program; name resolution time-outs
        // are then left to the resolver libcurl was built with.
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
        // An empty text offers every encoding libcurl can decode.
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendToBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

        const CURLcode code = curl_easy_perform(curl);

        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);

        if (code != CURLE_OK) {
            std::string error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
            return Failure(status, std::move(error));
        }
        if (status < 200 || status > 299)
            return Failure(status, "HTTP status " + std::to_string(status));

        HttpResult result;
        result.Ok = true;
        result.Status = status;
        result.Body = std::move(body);
        return result;
    }

    HttpTimeouts timeouts_;
};

std::mutex& ClientMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<HttpClient>& ClientInForce() {
    static std::unique_ptr<HttpClient> client;
    return client;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

}  // namespace

std::unique_ptr<HttpClient> MakeCurlHttpClient() {
    return MakeCurlHttpClient(HttpTimeouts{});
}

std::unique_ptr<HttpClient> MakeCurlHttpClient(HttpTimeouts timeouts) {
    return std::make_unique<CurlHttpClient>(timeouts);
}

HttpClient& CurrentHttpClient() {
    std::lock_guard<std::mutex> lock(ClientMutex());
    auto& client = ClientInForce();
    if (!client)
        client = MakeCurlHttpClient();
    return *client;
}

void SetHttpClient(std::unique_ptr<HttpClient> client) {
    std::lock_guard<std::mutex> lock(ClientMutex());
    ClientInForce() = std::move(client);
}

bool HasHttpScheme(std::string_view address) {
    return StartsWithIgnoringCase(address, "http://") || StartsWithIgnoringCase(address, "https://");
}

std::string NormalizeFeedAddress(const std::string& address) {
    if (HasHttpScheme(address))
        return address;
    return "http://" + address;
}

}  // namespace feed
