#include "engine/SnapshotHeader.h"

#include <charconv>

#include "engine/FormatError.h"
#include "engine/Translate.h"

namespace quarrow {

namespace {

constexpr std::string_view kAnonymous = "anonymous";
constexpr std::string_view kDefaultPassword = "us@site";
constexpr int kDefaultPort = 21;
constexpr int kMaxPort = 65535;

// Header positions (zero-based) of the login part of a resume header.
constexpr std::size_t kUserLine = 5;
constexpr std::size_t kPasswordLine = 6;
constexpr std::size_t kPortLine = 7;
constexpr std::size_t kTlsLine = 9;

std::string concat(std::string_view a, std::string_view b) {
    std::string s;
    s.reserve(a.size() + b.size());
    s.append(a).append(b);
    return s;
}

bool parsePort(std::string_view text, int& port) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, port);
    return ec == std::errc() && stop == end && port >= 0 && port <= kMaxPort;
}

}  // namespace

SnapshotHeaderTexts snapshotHeaderTexts(const ThreadTexts& texts) {
    return {texts.dataftpserver, texts.timecreate, texts.countfilet, texts.nologin};
}

bool loginLineWanted(std::string_view userName) {
    return userName != kAnonymous;
}

std::vector<std::string> buildSnapshotHeaderAt(const SnapshotHeaderTexts& texts,
                                               std::string_view address, std::size_t fileCount,
                                               bool loginLine,
                                               const std::vector<std::string>& commentLines,
                                               std::string_view server, std::string_view mask,
                                               std::string_view timeText) {
    std::vector<std::string> header;
    header.reserve(6 + commentLines.size());
    header.push_back(concat(texts.dataftpserver, address));
    header.push_back(concat(texts.timecreate, timeText));
    header.push_back(concat(texts.countfilet, std::to_string(fileCount)));
    if (loginLine) header.push_back(texts.nologin);
    header.insert(header.end(), commentLines.begin(), commentLines.end());
    header.emplace_back(server);
    header.emplace_back(mask);
    return header;
}

std::vector<std::string> buildSnapshotHeader(const SnapshotHeaderTexts& texts,
                                             std::string_view server, std::string_view path,
                                             std::size_t fileCount, std::string_view userName,
                                             const std::vector<std::string>& commentLines,
                                             std::string_view mask, std::string_view timeText) {
    return buildSnapshotHeaderAt(texts, concat(server, "/") + std::string(path), fileCount,
                                 loginLineWanted(userName), commentLines, server, mask, timeText);
}

std::vector<std::string> buildResumeHeader(std::string_view startStamp, std::string_view server,
                                           std::string_view path, std::string_view mask,
                                           std::string_view currentDir, std::string_view userName,
                                           std::string_view password, int port,
                                           const std::vector<std::string>& commentLines, bool tls) {
    std::vector<std::string> header;
    header.reserve(10 + commentLines.size());
    for (std::string_view line : {startStamp, server, path, mask, currentDir, userName, password}) {
        header.emplace_back(line);
    }
    header.push_back(std::to_string(port));
    header.emplace_back(kResumeHeaderEnd);
    if (tls) header.emplace_back(kResumeTlsLine);
    header.insert(header.end(), commentLines.begin(), commentLines.end());
    return header;
}

bool readResumeLogin(const std::vector<std::string>& header, ResumeLogin& out, std::string* error) {
    if (header.size() <= kUserLine) {
        out = {std::string(kAnonymous), std::string(kDefaultPassword), kDefaultPort};
        return true;
    }
    if (header.size() <= kPortLine) {
        return formatError(error, "resume file damaged: header of " +
                                      std::to_string(header.size()) +
                                      " lines has a login part without a port line");
    }
    std::optional<int> port;
    if (header[kPortLine] != kResumeHeaderEnd) {
        int value = 0;
        if (!parsePort(header[kPortLine], value)) {
            return formatError(error, "resume file damaged: port line \"" + header[kPortLine] +
                                          "\" is not a port number");
        }
        port = value;
    }
    const bool tls = header.size() > kTlsLine && header[kTlsLine - 1] == kResumeHeaderEnd &&
                     header[kTlsLine] == kResumeTlsLine;
    out = {header[kUserLine], header[kPasswordLine], port, tls};
    return true;
}

}  // namespace quarrow
