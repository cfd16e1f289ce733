#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// Texts of the language keys the snapshot header uses; empty when no language is loaded.
struct SnapshotHeaderTexts {
    std::string dataftpserver, timecreate, countfilet, nologin;
};

// The snapshot's header block: "<dataftpserver><server>/<path>", "<timecreate><timeText>",
// "<countfilet><fileCount>", "<nologin>" unless the user is exactly "anonymous", the comment
// lines, then the server and the mask as the last two lines (readers find them there).
std::vector<std::string> buildSnapshotHeader(const SnapshotHeaderTexts& texts,
                                             std::string_view server, std::string_view path,
                                             std::size_t fileCount, std::string_view userName,
                                             const std::vector<std::string>& commentLines,
                                             std::string_view mask, std::string_view timeText);

// Marks the end of a resume header's login part; comment lines follow it.
inline constexpr std::string_view kResumeHeaderEnd = "END_MainFtp_";

// The resume file's header block: start stamp, server, path, mask, current folder, user,
// password, port, the end marker, then the comment lines.
std::vector<std::string> buildResumeHeader(std::string_view startStamp, std::string_view server,
                                           std::string_view path, std::string_view mask,
                                           std::string_view currentDir, std::string_view userName,
                                           std::string_view password, int port,
                                           const std::vector<std::string>& commentLines);

// Login data of a resume header. `port` is empty when the header stores none (older files
// carry the end marker in its place) and the caller keeps the port it has.
struct ResumeLogin {
    std::string userName, password;
    std::optional<int> port;
};

// A header shorter than 6 lines predates stored logins: anonymous login on port 21. Headers
// of 6 or 7 lines come from no writer and are refused, as is a port line that is neither the
// end marker nor a decimal number from 0 to 65535.
bool readResumeLogin(const std::vector<std::string>& header, ResumeLogin& out, std::string* error);

}  // namespace quarrow
