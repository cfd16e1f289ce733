#include "update/UpdateSchedule.h"

#include <cstdio>

#include "engine/Settings.h"

namespace quarrow {
namespace {

constexpr long long kWeekSeconds = 7LL * 24 * 3600;

// Seconds of a local date and time counted as if every day had 24 hours, so that differences
// are date-time differences, daylight-saving changes or not.
long long wallSeconds(std::tm fields) {
    fields.tm_isdst = 0;
    return static_cast<long long>(timegm(&fields));
}

long long wallSeconds(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return wallSeconds(local);
}

// "dd.mm.yyyy hh:nn:ss" or "dd.mm.yyyy", as the settings file holds it.
std::optional<long long> readWallSeconds(std::string_view text) {
    const std::string copy(text);
    int day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0, used = 0;
    const int fields = std::sscanf(copy.c_str(), "%2d.%2d.%4d%n %2d:%2d:%2d%n", &day, &month, &year,
                                   &used, &hour, &minute, &second, &used);
    if ((fields != 3 && fields != 6) || static_cast<std::size_t>(used) != copy.size())
        return std::nullopt;
    if (day < 1 || day > 31 || month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return wallSeconds(tm);
}

// Today's date at midnight, as the settings file holds a date and time.
std::string midnightText(std::time_t now) {
    return dateTimeText(now).substr(0, 10) + " 00:00:00";
}

}  // namespace

UpdateDecision UpdateScheduleAtStart(bool autoUpdate, std::string_view lastUpdateCheck,
                                     std::time_t now) {
    if (autoUpdate) return {true, std::nullopt};
    const auto last = readWallSeconds(lastUpdateCheck);
    if (last && wallSeconds(now) - *last < kWeekSeconds) return {};
    return {true, dateTimeText(now)};
}

UpdateDecision UpdateOptionChanged(bool ticked, bool settingsLoading, std::time_t now) {
    if (settingsLoading) return {};
    if (ticked) return {true, std::nullopt};
    return {false, midnightText(now)};
}

}  // namespace quarrow
