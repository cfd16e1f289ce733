#include "platform/StatListing.h"

#include <algorithm>

#include "platform/ControlExchange.h"
#include "platform/ListingParser.h"
#include "platform/ListingText.h"

namespace quarrow {
namespace {

constexpr std::string_view kPatternBytes = "[]*?{}~\\";
constexpr std::string_view kDoubledIac = "\xFF\xFF";

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool isSafeComponent(std::string_view name) {
    return name != "." && name != ".." && name.front() != '-' && !listing::isBlank(name.front()) &&
           !listing::isBlank(name.back());
}

// "ddd-" opens a multi-line reply.
bool opensReply(std::string_view line) {
    return line.size() >= 4 && listing::allDigits(line.substr(0, 3)) && line[3] == '-';
}

bool isTotalLine(std::string_view line) {
    const listing::LineTokens words(line);
    return words.size() == 2 && words[0] == "total" && listing::allDigits(words[1]);
}

}  // namespace

bool isStatSafeFolder(std::string_view absoluteFolder) {
    if (absoluteFolder.empty() || absoluteFolder.front() != '/') return false;
    if (std::any_of(absoluteFolder.begin(), absoluteFolder.end(), [](char c) {
            return isControl(c) || kPatternBytes.find(c) != std::string_view::npos;
        }))
        return false;
    std::string_view rest = absoluteFolder.substr(1);
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    if (rest.empty()) return true;  // the root
    for (std::size_t start = 0;;) {
        const std::size_t slash = rest.find('/', start);
        const std::string_view name = rest.substr(start, slash - start);
        if (name.empty() || !isSafeComponent(name)) return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

StatReply::StatReply(std::string_view absoluteFolder, std::int64_t nowUtc) : nowUtc_(nowUtc) {
    while (!absoluteFolder.empty() && absoluteFolder.back() == '/') absoluteFolder.remove_suffix(1);
    folderName_.assign(absoluteFolder.substr(absoluteFolder.rfind('/') + 1));
}

void StatReply::take(std::string_view line) {
    if (code_ != 0) return;
    const bool first = !started_;
    started_ = true;
    if (const int code = finalReplyCode(line)) {
        code_ = code;
        return;
    }
    if (first) {
        // The opening line carries a text ("Status of ..."), not an entry.
        if (!opensReply(line)) doubtful_ = true;
        return;
    }
    takeListingLine(line);
}

void StatReply::takeListingLine(std::string_view line) {
    if (isTotalLine(line)) return;
    if (line.find(kDoubledIac) != std::string_view::npos) {
        doubtful_ = true;
        return;
    }
    auto entry = parseUnixLine(line, nowUtc_);
    if (!entry) entry = parseDosLine(line);
    if (!entry) {
        doubtful_ = true;
        return;
    }
    const std::string& name = entry->name;
    if (name == "." || name == "..") return;
    if (name.front() == '.' || name.find('/') != std::string::npos) {
        doubtful_ = true;
        return;
    }
    entries_.push_back(std::move(*entry));
}

bool StatReply::mayDescribeThePathItself() const {
    return entries_.size() == 1 && entries_.front().attributes != kAttrDirectory &&
           entries_.front().name == folderName_;
}

std::optional<std::vector<FtpEntry>> StatReply::listing() && {
    const bool listingCode = code_ >= 211 && code_ <= 213;
    if (!listingCode || doubtful_ || entries_.empty() || mayDescribeThePathItself())
        return std::nullopt;
    return std::move(entries_);
}

bool sameNamesAndFolders(const std::vector<FtpEntry>& a, const std::vector<FtpEntry>& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const FtpEntry& x, const FtpEntry& y) {
            return x.name == y.name &&
                   (x.attributes == kAttrDirectory) == (y.attributes == kAttrDirectory);
        });
}

}  // namespace quarrow
