#pragma once

#include <string>
#include <string_view>

#include "engine/Translate.h"

namespace quarrow {

// The language texts watch checks and the watch list use: the worker texts of the scans, the
// list's texts of the main window, and the new-files window's status texts.
struct WatchTexts {
    ThreadTexts thread;
    FormTexts form;
    std::string nevfile, nevdir, stopf;  // section "NevForm"
};

inline constexpr std::string_view kNevFormSection = "NevForm";

// Every text from one language file; a missing key gives the key name, a missing file empty
// texts.
WatchTexts LoadWatchTexts(std::string_view languageFile);
// The same from a file already loaded.
WatchTexts ReadWatchTexts(const LanguageFile& file);

}  // namespace quarrow
