#include "update/UpdatePage.h"

#include <vector>

#include "engine/Masks.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

constexpr std::string_view kUrlKey = "url_site_downloand=";
constexpr std::string_view kVersionKey = "last_version=";
constexpr std::size_t kVersionLength = 255;
constexpr std::size_t kDigitPlaces[] = {0, 2, 4, 6};

// The rest of `line` after `key` when the trimmed line begins with it.
std::optional<std::string_view> valueAfter(std::string_view line, std::string_view key) {
    const std::string_view trimmed = trimText(line);
    if (!trimmed.starts_with(key)) return std::nullopt;
    const std::size_t keyStart = static_cast<std::size_t>(trimmed.data() - line.data());
    return line.substr(keyStart + key.size());
}

std::optional<int> digitAt(std::string_view text, std::size_t place) {
    if (place >= text.size() || text[place] < '0' || text[place] > '9') return std::nullopt;
    return text[place] - '0';
}

}  // namespace

std::string HomePageUrl() {
    return "https://" + std::string(kHomeHost) + "/";
}

std::string DefaultUpdatePage() {
    return "http://" + std::string(kHomeHost) + "/cfg_quarrow.html";
}

AnnouncedVersion CompareAnnounced(std::string_view own, std::string_view announced) {
    for (const std::size_t place : kDigitPlaces) {
        const auto mine = digitAt(own, place);
        const auto theirs = digitAt(announced, place);
        if (!mine || !theirs) return AnnouncedVersion::Unreadable;
        if (*mine > *theirs) return AnnouncedVersion::Older;
        if (*mine < *theirs) return AnnouncedVersion::Newer;
    }
    return AnnouncedVersion::Same;
}

UpdatePageFindings ReadUpdatePage(std::string_view page, std::string_view own) {
    UpdatePageFindings findings;
    if (own.empty()) return findings;
    const std::vector<std::string> lines = splitLines(page);
    for (const std::string& line : lines)
        if (const auto url = valueAfter(line, kUrlKey)) findings.downloadUrl = std::string(*url);
    for (const std::string& line : lines) {
        const auto value = valueAfter(line, kVersionKey);
        if (!value) continue;
        findings.announced = std::string(value->substr(0, kVersionLength));
        switch (CompareAnnounced(own, findings.announced)) {
            case AnnouncedVersion::Same:
            case AnnouncedVersion::Older:
                continue;
            case AnnouncedVersion::Newer:
                findings.updateAvailable = true;
                return findings;
            case AnnouncedVersion::Unreadable:
                return findings;
        }
    }
    return findings;
}

}  // namespace quarrow
