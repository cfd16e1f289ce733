#pragma once

#include <string>

namespace quarrow {

struct HttpGetOptions {
    long timeoutMs = 5000;         // the whole request, resolving the name included
    long connectTimeoutMs = 3000;  // resolving and connecting
    std::size_t maxBodyBytes = 1 << 20;
};

struct HttpGetResult {
    bool ok = false;    // a complete answer with a status below 400
    long status = 0;    // the HTTP status, 0 when no answer came
    std::string body;   // what was received, also when the request failed part-way
    std::string error;  // why it failed, empty when ok
};

// One HTTP (or HTTPS) GET into memory, with `agent` as User-Agent; redirects are followed a
// few times. Any thread may call it; it never blocks longer than options.timeoutMs.
HttpGetResult HttpGet(const std::string& url, const std::string& agent,
                      const HttpGetOptions& options = {});

}  // namespace quarrow
