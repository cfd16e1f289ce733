#include "platform/ListingTime.h"

#include <array>

#include "platform/ListingText.h"

namespace quarrow::listing {
namespace {

// How far ahead of "now" a listed time may lie and still belong to the current year.
constexpr std::int64_t kFutureSlack = 26 * 3600;

struct MonthPrefix {
    std::string_view prefix;
    int month;
};

// Abbreviations as ls prints them in various locales. Non-ASCII ones appear in Windows-1251 /
// Latin-1 and in UTF-8 form. A word matches when it starts with an entry, so longer forms
// ("July", "Juli", "Sept", "mars") match too.
// clang-format off
constexpr MonthPrefix kMonths[] = {
    // English
    {"jan", 1}, {"feb", 2}, {"mar", 3}, {"apr", 4}, {"may", 5}, {"jun", 6},
    {"jul", 7}, {"aug", 8}, {"sep", 9}, {"oct", 10}, {"nov", 11}, {"dec", 12},
    // German
    {"m\xe4r", 3}, {"m\xc3\xa4r", 3}, {"mrz", 3}, {"mai", 5}, {"okt", 10}, {"dez", 12},
    // French
    {"f\xe9v", 2}, {"f\xc3\xa9v", 2}, {"avr", 4}, {"juin", 6}, {"juil", 7},
    {"ao\xfb", 8}, {"ao\xc3\xbb", 8}, {"d\351c", 12}, {"d\303\251c", 12},
    // Spanish and Italian
    {"ene", 1}, {"gen", 1}, {"abr", 4}, {"mag", 5}, {"giu", 6}, {"lug", 7},
    {"ago", 8}, {"set", 9}, {"ott", 10}, {"dic", 12},
    // Russian, Windows-1251
    {"\xff\xed\xe2", 1}, {"\xf4\xe5\xe2", 2}, {"\xec\xe0\xf0", 3}, {"\xe0\xef\xf0", 4},
    {"\xec\xe0\xff", 5}, {"\xec\xe0\xe9", 5}, {"\xe8\xfe\xed", 6}, {"\xe8\xfe\xeb", 7},
    {"\xe0\xe2\xe3", 8}, {"\xf1\xe5\xed", 9}, {"\xee\xea\xf2", 10}, {"\xed\xee\xff", 11},
    {"\xe4\xe5\xea", 12},
    // Russian, UTF-8
    {"\xd1\x8f\xd0\xbd\xd0\xb2", 1}, {"\xd1\x84\xd0\xb5\xd0\xb2", 2},
    {"\xd0\xbc\xd0\xb0\xd1\x80", 3}, {"\xd0\xb0\xd0\xbf\xd1\x80", 4},
    {"\xd0\xbc\xd0\xb0\xd1\x8f", 5}, {"\xd0\xbc\xd0\xb0\xd0\xb9", 5},
    {"\xd0\xb8\xd1\x8e\xd0\xbd", 6}, {"\xd0\xb8\xd1\x8e\xd0\xbb", 7},
    {"\xd0\xb0\xd0\xb2\xd0\xb3", 8}, {"\xd1\x81\xd0\xb5\xd0\xbd", 9},
    {"\xd0\xbe\xd0\xba\xd1\x82", 10}, {"\xd0\xbd\xd0\xbe\xd1\x8f", 11},
    {"\xd0\xb4\xd0\xb5\xd0\xba", 12},
};
// clang-format on

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t utcSeconds(int year, int month, int day, std::int64_t secondsOfDay) {
    return daysFromCivil(year, month, day) * kSecondsPerDay + secondsOfDay;
}

int utcYear(std::int64_t utc) {
    // civil_from_days, keeping only the year.
    std::int64_t days = utc / kSecondsPerDay;
    if (utc % kSecondsPerDay < 0) --days;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    return static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::optional<int> parseClock(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!parseField(text.substr(0, colon), 2, hour)) return std::nullopt;
    std::string_view rest = text.substr(colon + 1);
    const std::size_t colon2 = rest.find(':');
    if (colon2 != std::string_view::npos) {
        if (!parseField(rest.substr(colon2 + 1), 2, second) || second > 59) return std::nullopt;
        rest = rest.substr(0, colon2);
    }
    if (rest.size() != 2 || !parseField(rest, 2, minute) || minute > 59) return std::nullopt;
    if (hour > 24 || (hour == 24 && (minute != 0 || second != 0))) return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

int monthFromName(std::string_view word) {
    constexpr std::size_t kLongestMonthWord = 12;
    if (word.size() < 3 || word.size() > kLongestMonthWord) return 0;
    for (const MonthPrefix& m : kMonths) {
        if (startsWithAsciiNoCase(word, m.prefix)) return m.month;
    }
    return 0;
}

std::optional<std::int64_t> recentTime(int month, int day, int secondsOfDay, std::int64_t nowUtc) {
    const int thisYear = utcYear(nowUtc);
    for (int year = thisYear + 1; year >= thisYear - 1; --year) {
        if (day > daysInMonth(year, month)) continue;
        const std::int64_t t = utcSeconds(year, month, day, secondsOfDay);
        if (t <= nowUtc + kFutureSlack) return t;
    }
    return std::nullopt;
}

}  // namespace quarrow::listing
