#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace quarrow {

// What the update schedule asks for: a check now, and a new last-check date (the settings
// file's date-time text) when the stored one changes.
struct UpdateDecision {
    bool startCheck = false;
    std::optional<std::string> lastUpdateCheck;
};

// At start-up, right after the settings are read: with automatic checks on, every start
// checks and the date stays; with them off, a check follows when at least 7 days of local
// date and time have passed since `lastUpdateCheck`, which then becomes `now`. A date that
// cannot be read counts as long ago, so the next check stores a good one.
UpdateDecision UpdateScheduleAtStart(bool autoUpdate, std::string_view lastUpdateCheck,
                                     std::time_t now);

// The automatic-check option changed: ticking checks at once; unticking sets the date to
// today's midnight, so the weekly check comes 7 days later. Nothing while the settings are
// being read.
UpdateDecision UpdateOptionChanged(bool ticked, bool settingsLoading, std::time_t now);

}  // namespace quarrow
