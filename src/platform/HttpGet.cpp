#include "platform/HttpGet.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace quarrow {
namespace {

constexpr long kMaxRedirects = 3;

// libcurl's global set-up, once, before the first handle rather than implicitly inside it.
void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
    std::string* body;
    std::size_t limit;
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body->size() + bytes > sink->limit) return 0;  // ends the transfer as a failure
    sink->body->append(data, bytes);
    return bytes;
}

}  // namespace

HttpGetResult HttpGet(const std::string& url, const std::string& agent,
                      const HttpGetOptions& options) {
    initCurlOnce();
    HttpGetResult result;
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(),
                                                                   &curl_easy_cleanup);
    if (!easy) {
        result.error = "cannot create an HTTP request";
        return result;
    }
    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink{&result.body, options.maxBodyBytes};
    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, options.timeoutMs);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    // Timeouts by signal are not usable from worker threads.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);

    const CURLcode code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    if (code != CURLE_OK) {
        result.error = errorText[0] ? errorText : curl_easy_strerror(code);
    } else if (result.status >= 400) {
        result.error = "HTTP status " + std::to_string(result.status);
    } else {
        result.ok = true;
    }
    return result;
}

}  // namespace quarrow
