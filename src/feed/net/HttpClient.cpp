#include "feed/net/HttpClient.h"

#include <curl/curl.h>
#include <dlfcn.h>

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

// libcurl is loaded when the first download starts, not when the program
// starts: it brings some thirty libraries along, which a program that only
// reads and writes files need not map.
struct CurlApi {
    bool Ready = false;
    CURL* (*EasyInit)() = nullptr;
    CURLcode (*EasySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*EasyPerform)(CURL*) = nullptr;
    CURLcode (*EasyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    void (*EasyCleanup)(CURL*) = nullptr;
    const char* (*EasyStrerror)(CURLcode) = nullptr;
};

template <typename Function>
bool Bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

CurlApi LoadCurl() {
    CurlApi api;
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) return api;
    CURLcode (*globalInit)(long) = nullptr;
    const bool bound = Bind(library, "curl_global_init", globalInit) && Bind(library, "curl_easy_init", api.EasyInit) &&
                       Bind(library, "curl_easy_setopt", api.EasySetopt) &&
                       Bind(library, "curl_easy_perform", api.EasyPerform) &&
                       Bind(library, "curl_easy_getinfo", api.EasyGetinfo) &&
                       Bind(library, "curl_easy_cleanup", api.EasyCleanup) &&
                       Bind(library, "curl_easy_strerror", api.EasyStrerror);
    // curl_global_init is not thread-safe; the static below runs this once.
    api.Ready = bound && globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return api;
}

const CurlApi& Curl() {
    static const CurlApi api = LoadCurl();
    return api;
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
    void operator()(CURL* handle) const { Curl().EasyCleanup(handle); }
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
        const CurlApi& api = Curl();
        if (!api.Ready) return Failure(0, "the HTTP library (libcurl) could not be loaded");
        std::unique_ptr<CURL, EasyHandleDeleter> handle(api.EasyInit());
        if (!handle)
            return Failure(0, "the HTTP library could not be initialised");
        CURL* curl = handle.get();

        std::string body;
        char errorBuffer[CURL_ERROR_SIZE] = {};

        api.EasySetopt(curl, CURLOPT_URL, url.c_str());
        api.EasySetopt(curl, CURLOPT_HTTPGET, 1L);
        api.EasySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        api.EasySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        api.EasySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        api.EasySetopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
        api.EasySetopt(curl, CURLOPT_CONNECTTIMEOUT, timeouts_.ConnectSeconds);
        api.EasySetopt(curl, CURLOPT_TIMEOUT, timeouts_.TotalSeconds);
        // Signals would upset a multi-threaded program; name resolution time-outs
        // are then left to the resolver libcurl was built with.
        api.EasySetopt(curl, CURLOPT_NOSIGNAL, 1L);
        api.EasySetopt(curl, CURLOPT_USERAGENT, kUserAgent);
        // An empty text offers every encoding libcurl can decode.
        api.EasySetopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        api.EasySetopt(curl, CURLOPT_WRITEFUNCTION, &AppendToBody);
        api.EasySetopt(curl, CURLOPT_WRITEDATA, &body);
        api.EasySetopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

        const CURLcode code = api.EasyPerform(curl);

        long status = 0;
        api.EasyGetinfo(curl, CURLINFO_RESPONSE_CODE, &status);

        if (code != CURLE_OK) {
            std::string error = errorBuffer[0] != '\0' ? errorBuffer : api.EasyStrerror(code);
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
