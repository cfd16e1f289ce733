#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarrow {

// "ftp://host:port" for libcurl; an IPv6 address is bracketed. Nothing when the host is empty
// or holds characters no host name has, or the port is out of range.
std::optional<std::string> ftpServerUrl(std::string_view host, int port);

// The URL path that makes libcurl reach exactly the absolute server path `absolutePath`,
// whatever the login folder: "/%2F" (the root) followed by each component percent-encoded,
// so that names with "%", "#", "?", "[" or "*" and bytes of any code page pass unchanged.
// `folder` ends the path with "/" (a folder to enter or list, not a file to fetch). Nothing
// when the path is not absolute or a component holds a control byte (CR, LF, NUL ...), which
// no FTP command can carry.
std::optional<std::string> ftpUrlPath(std::string_view absolutePath, bool folder);

}  // namespace quarrow
