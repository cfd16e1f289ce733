#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

struct ThreadTexts;

// Texts of the language keys the snapshot header uses; empty when no language is loaded.
struct SnapshotHeaderTexts {
    std::string dataftpserver, timecreate, countfilet, nologin;
};

// The header texts of the worker section, as scans and watch checks write them.
SnapshotHeaderTexts snapshotHeaderTexts(const ThreadTexts& texts);

// A snapshot header names the login only when it is not exactly "anonymous".
bool loginLineWanted(std::string_view userName);

// The header block every snapshot writer uses: "<dataftpserver><address>",
// "<timecreate><timeText>", "<countfilet><fileCount>", "<nologin>" when `loginLine`, the
// comment lines, then the server and the mask as the last two lines (readers find them there).
// The writers differ only in how the address joins server and path and whether they name the
// login at all.
std::vector<std::string> buildSnapshotHeaderAt(const SnapshotHeaderTexts& texts,
                                               std::string_view address, std::size_t fileCount,
                                               bool loginLine,
                                               const std::vector<std::string>& commentLines,
                                               std::string_view server, std::string_view mask,
                                               std::string_view timeText);

// A scan's header: the address is "<server>/<path>" (a double slash, since the path begins
// with "/") and the login line follows loginLineWanted().
std::vector<std::string> buildSnapshotHeader(const SnapshotHeaderTexts& texts,
                                             std::string_view server, std::string_view path,
                                             std::size_t fileCount, std::string_view userName,
                                             const std::vector<std::string>& commentLines,
                                             std::string_view mask, std::string_view timeText);

// Marks the end of a resume header's login part; comment lines follow it.
inline constexpr std::string_view kResumeHeaderEnd = "END_MainFtp_";
// Right after the end marker, the line of a scan made over TLS. Readers take the lines after
// the marker as comments, so older ones read such a file as before.
inline constexpr std::string_view kResumeTlsLine = "TLS_MainFtp_";

// The resume file's header block: start stamp, server, path, mask, current folder, user,
// password, port, the end marker, kResumeTlsLine when `tls`, then the comment lines.
std::vector<std::string> buildResumeHeader(std::string_view startStamp, std::string_view server,
                                           std::string_view path, std::string_view mask,
                                           std::string_view currentDir, std::string_view userName,
                                           std::string_view password, int port,
                                           const std::vector<std::string>& commentLines,
                                           bool tls = false);

// Login data of a resume header. `port` is empty when the header stores none (older files
// carry the end marker in its place) and the caller keeps the port it has.
struct ResumeLogin {
    std::string userName, password;
    std::optional<int> port;
    bool tls = false;  // the header holds kResumeTlsLine after the end marker
};

// A header shorter than 6 lines predates stored logins: anonymous login on port 21. Headers
// of 6 or 7 lines come from no writer and are refused, as is a port line that is neither the
// end marker nor a decimal number from 0 to 65535.
bool readResumeLogin(const std::vector<std::string>& header, ResumeLogin& out, std::string* error);

}  // namespace quarrow
