#pragma once

#include <string>
#include <string_view>

#include "engine/Translate.h"

namespace quarrow {

// The texts of downloads: the worker's status texts shared with scans, and the download
// window's own (section "FormDownload").
struct DownloadTexts {
    ThreadTexts thread;
    std::string notloaded = "notloaded";  // after the counter line: how many did not arrive
    std::string badname = "badname";      // a remote name no local file can take
};

inline constexpr std::string_view kFormDownloadSection = "FormDownload";

// Every text from one language file; a missing key gives the key name.
DownloadTexts LoadDownloadTexts(std::string_view languageFile);
// The same from a file already loaded.
DownloadTexts ReadDownloadTexts(const LanguageFile& file);

}  // namespace quarrow
