#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Calendar arithmetic for listing dates. Listing times carry no zone; they are read as UTC.
namespace quarrow::listing {

constexpr std::int64_t kSecondsPerDay = 86400;

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Seconds since 1970-01-01 00:00 UTC of a calendar day plus `secondsOfDay` (which may reach
// 86400, "24:00" being midnight of the next day). The date must be valid.
std::int64_t utcSeconds(int year, int month, int day, std::int64_t secondsOfDay);

// The calendar year of a UTC moment.
int utcYear(std::int64_t utc);

// "HH:MM" or "HH:MM:SS" (hour up to 24, "24:00" only with zero minutes and seconds).
std::optional<int> parseClock(std::string_view text);

// 1..12 for a month name in English, German, French, Spanish, Italian or Russian (Windows-1251
// or UTF-8, lower case), matched on its abbreviation, so "Jul", "July" and "Juli" are all 7.
int monthFromName(std::string_view word);

// The time of a "Mon DD HH:MM" entry, whose year is not shown: the latest of the years around
// `nowUtc` that does not lie more than about a day ahead of it (servers ahead of UTC list times
// that are slightly in the future). Nothing when no such year has that date (Feb 29).
std::optional<std::int64_t> recentTime(int month, int day, int secondsOfDay, std::int64_t nowUtc);

}  // namespace quarrow::listing
