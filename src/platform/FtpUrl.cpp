#include "platform/FtpUrl.h"

namespace quarrow {
namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool isHostChar(char c) {
    return isUnreserved(static_cast<unsigned char>(c)) || c == ':' || c == '[' || c == ']';
}

void appendEncoded(std::string& out, std::string_view component) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char ch : component) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
}

}  // namespace

std::optional<std::string> ftpServerUrl(std::string_view host, int port) {
    if (host.empty() || port < 1 || port > 65535) return std::nullopt;
    for (char c : host) {
        if (!isHostChar(c)) return std::nullopt;
    }
    const bool bareIpv6 = host.find(':') != std::string_view::npos && host.front() != '[';
    std::string url = "ftp://";
    if (bareIpv6) url += '[';
    url += host;
    if (bareIpv6) url += ']';
    url += ':';
    url += std::to_string(port);
    return url;
}

std::optional<std::string> ftpUrlPath(std::string_view absolutePath, bool folder) {
    if (absolutePath.empty() || absolutePath.front() != '/') return std::nullopt;
    for (char c : absolutePath) {
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    }
    std::string_view rest = absolutePath.substr(1);
    if (folder && !rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    std::string url = "/%2F";
    url.reserve(url.size() + rest.size() * 3 + 1);
    for (std::size_t start = 0;;) {
        const std::size_t slash = rest.find('/', start);
        appendEncoded(url, rest.substr(start, slash - start));  // to the end when no slash
        if (slash == std::string_view::npos) break;
        url += '/';
        start = slash + 1;
    }
    if (folder) url += '/';
    return url;
}

}  // namespace quarrow
