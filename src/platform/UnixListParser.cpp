#include "platform/ListingParser.h"
#include "platform/ListingText.h"
#include "platform/ListingTime.h"

namespace quarrow {
namespace {

using listing::LineTokens;
using listing::parseField;

// The date's first word in an ordinary "mode links owner group size Mon DD HH:MM name" line;
// other layouts (no group, no link count, owner and group run together) are searched for.
constexpr std::size_t kUsualDatePosition = 5;

// A type letter, nine permission letters and an optional ACL ("+"), SELinux (".") or extended
// attribute ("@") mark.
bool isModeWord(std::string_view w) {
    const bool marked = w.size() == 11 && (w[10] == '+' || w[10] == '.' || w[10] == '@');
    if (w.size() != 10 && !marked) return false;
    if (std::string_view("-dlbcpsD").find(w[0]) == std::string_view::npos) return false;
    for (std::size_t i = 1; i < 10; ++i) {
        if (std::string_view("rwxsStTlL-").find(w[i]) == std::string_view::npos) return false;
    }
    return true;
}

// Drops one trailing "." or "," ("26.", "Juli,", "08,").
std::string_view withoutMark(std::string_view w) {
    if (!w.empty() && (w.back() == '.' || w.back() == ',')) w.remove_suffix(1);
    return w;
}

bool parseDay(std::string_view w, int month, int& day) {
    // February is checked against a leap year here; the year is chosen later.
    return parseField(withoutMark(w), 2, day) && day >= 1 &&
           day <= listing::daysInMonth(2000, month);
}

bool parseYear(std::string_view w, int& year) {
    return w.size() == 4 && parseField(w, 4, year) && year >= 1900;
}

struct DateMatch {
    std::size_t last = 0;  // word index of the date's last word
    std::int64_t mtime = 0;
    bool hasYear = false;
    bool yearLeftAligned = false;
};

// The word after the day: "HH:MM" for a recent entry, a year for an older one.
bool takeTimeOrYear(const LineTokens& t, std::size_t i, int month, int day, std::int64_t now,
                    DateMatch& m) {
    if (const auto clock = listing::parseClock(t[i])) {
        m.mtime = listing::recentTime(month, day, *clock, now).value_or(0);
        m.last = i;
        m.hasYear = false;
        return true;
    }
    int year = 0;
    if (!parseYear(t[i], year) || day > listing::daysInMonth(year, month)) return false;
    m.mtime = listing::utcSeconds(year, month, day, 0);
    m.last = i;
    m.hasYear = true;
    return true;
}

// "Mon DD HH:MM", "Mon DD YYYY", or "Mon DD, YYYY HH:MM" (VShell).
bool matchMonthFirst(const LineTokens& t, std::size_t i, std::int64_t now, DateMatch& m) {
    const int month = listing::monthFromName(withoutMark(t[i]));
    int day = 0;
    if (month == 0 || i + 2 >= t.size() || !parseDay(t[i + 1], month, day)) return false;
    if (t[i + 1].back() == ',' && i + 3 < t.size()) {
        int year = 0;
        const auto clock = listing::parseClock(t[i + 3]);
        if (!parseYear(t[i + 2], year) || !clock || day > listing::daysInMonth(year, month))
            return false;
        m.mtime = listing::utcSeconds(year, month, day, *clock);
        m.last = i + 3;
        return true;
    }
    if (!takeTimeOrYear(t, i + 2, month, day, now, m)) return false;
    // GNU ls right-aligns the year ("Dec 02  2009 name"); a left-aligned one ("Jan 25 2009  name")
    // leaves an extra blank before the name that is not part of it.
    m.yearLeftAligned = m.hasYear && t.begin(i + 2) - t.end(i + 1) == 1;
    return true;
}

// "DD Mon HH:MM|YYYY", also "26. Juli, 20:10".
bool matchDayFirst(const LineTokens& t, std::size_t i, std::int64_t now, DateMatch& m) {
    if (i + 2 >= t.size()) return false;
    const int month = listing::monthFromName(withoutMark(t[i + 1]));
    int day = 0;
    return month != 0 && parseDay(t[i], month, day) && takeTimeOrYear(t, i + 2, month, day, now, m);
}

// "YYYY-MM-DD HH:MM" (ls --time-style=long-iso).
bool matchIsoDate(const LineTokens& t, std::size_t i, DateMatch& m) {
    const std::string_view w = t[i];
    int year = 0, month = 0, day = 0;
    if (i + 1 >= t.size() || w.size() != 10 || w[4] != '-' || w[7] != '-' ||
        !parseYear(w.substr(0, 4), year) || !parseField(w.substr(5, 2), 2, month) ||
        !parseField(w.substr(8, 2), 2, day) || month < 1 || month > 12 || day < 1 ||
        day > listing::daysInMonth(year, month))
        return false;
    const auto clock = listing::parseClock(t[i + 1]);
    if (!clock) return false;
    m.mtime = listing::utcSeconds(year, month, day, *clock);
    m.last = i + 1;
    return true;
}

bool matchDate(const LineTokens& t, std::size_t i, std::int64_t now, DateMatch& m) {
    return matchMonthFirst(t, i, now, m) || matchDayFirst(t, i, now, m) || matchIsoDate(t, i, m);
}

// The size word before the date at word i. Device files show "major, minor" instead (size 0);
// a long group name may run into the size ("longgroup123456").
bool sizeBefore(const LineTokens& t, std::size_t i, std::uint64_t& size) {
    const std::string_view w = t[i - 1];
    const std::string_view major = t[i - 2];
    if (i >= 3 && major.size() > 1 && major.back() == ',' &&
        listing::allDigits(major.substr(0, major.size() - 1)) && listing::allDigits(w)) {
        size = 0;
        return true;
    }
    if (listing::parseDecimal(w, size)) return true;
    std::size_t digits = w.size();
    while (digits > 0 && listing::isDigit(w[digits - 1])) --digits;
    return digits > 0 && digits < w.size() && listing::parseDecimal(w.substr(digits), size);
}

std::optional<FtpEntry> entryAt(std::string_view line, const LineTokens& t, std::size_t i,
                                std::int64_t now) {
    DateMatch m;
    std::uint64_t size = 0;
    if (!matchDate(t, i, now, m) || !sizeBefore(t, i, size)) return std::nullopt;
    const std::size_t nameStart = t.end(m.last) + 1;
    if (nameStart >= line.size()) return std::nullopt;
    std::string_view name = line.substr(nameStart);
    if (m.yearLeftAligned && name.size() > 1 && name.front() == ' ') name.remove_prefix(1);

    FtpEntry entry;
    entry.mtime = m.mtime;
    switch (line[t.begin(0)]) {
        case 'd':
            entry.attributes = kAttrDirectory;
            break;
        case 'l': {
            entry.attributes = kAttrReparsePoint | kAttrNormal;
            entry.size = size;
            const std::size_t arrow = name.find(" -> ", 1);
            if (arrow != std::string_view::npos) name = name.substr(0, arrow);
            break;
        }
        default:
            entry.attributes = kAttrNormal;
            entry.size = size;
            break;
    }
    entry.name.assign(name);
    return entry;
}

}  // namespace

std::optional<FtpEntry> parseUnixLine(std::string_view line, std::int64_t nowUtc) {
    const LineTokens t(line);
    if (t.size() < 5 || !isModeWord(t[0])) return std::nullopt;
    if (t.size() > kUsualDatePosition) {
        if (auto entry = entryAt(line, t, kUsualDatePosition, nowUtc)) return entry;
    }
    for (std::size_t i = 2; i + 1 < t.size(); ++i) {
        if (i == kUsualDatePosition) continue;
        if (auto entry = entryAt(line, t, i, nowUtc)) return entry;
    }
    return std::nullopt;
}

}  // namespace quarrow
