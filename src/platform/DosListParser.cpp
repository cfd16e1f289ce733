#include "platform/ListingParser.h"
#include "platform/ListingText.h"
#include "platform/ListingTime.h"

namespace quarrow {
namespace {

using listing::LineTokens;
using listing::parseField;

// Two-digit years below this are 20xx, the others 19xx.
constexpr int kTwoDigitYearPivot = 70;

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

int fullYear(std::string_view digits, int value) {
    if (digits.size() == 4) return value;
    return value < kTwoDigitYearPivot ? 2000 + value : 1900 + value;
}

// "MM-DD-YY", "MM-DD-YYYY", "YYYY-MM-DD", "MM/DD/YYYY" and "DD.MM.YYYY". A first number above
// 12 in the month-first forms is the day.
std::optional<Date> parseDate(std::string_view w) {
    const std::size_t s1 = w.find_first_of("-/.");
    if (s1 == std::string_view::npos) return std::nullopt;
    const char sep = w[s1];
    const std::size_t s2 = w.find(sep, s1 + 1);
    if (s2 == std::string_view::npos) return std::nullopt;
    const std::string_view a = w.substr(0, s1);
    const std::string_view b = w.substr(s1 + 1, s2 - s1 - 1);
    const std::string_view c = w.substr(s2 + 1);
    int x = 0, y = 0, z = 0;
    if (!parseField(a, 4, x) || !parseField(b, 2, y) || !parseField(c, 4, z)) return std::nullopt;
    Date d;
    if (a.size() == 4) {
        d = {x, y, z};
    } else if (c.size() == 2 || c.size() == 4) {
        d.year = fullYear(c, z);
        const bool dayFirst = sep == '.' || (x > 12 && y <= 12);
        d.month = dayFirst ? y : x;
        d.day = dayFirst ? x : y;
    } else {
        return std::nullopt;
    }
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > listing::daysInMonth(d.year, d.month))
        return std::nullopt;
    return d;
}

// "HH:MM" in 24-hour form, or 12-hour with "AM"/"PM" attached or as the next word. Sets
// `words` to how many words the time took.
std::optional<int> parseTime(const LineTokens& t, std::size_t i, std::size_t& words) {
    std::string_view w = t[i];
    std::string_view half;
    words = 1;
    if (w.size() > 2 && !listing::isDigit(w.back())) {
        half = w.substr(w.size() - 2);
        w.remove_suffix(2);
    } else if (i + 1 < t.size() && (listing::equalsAsciiNoCase(t[i + 1], "AM") ||
                                    listing::equalsAsciiNoCase(t[i + 1], "PM"))) {
        half = t[i + 1];
        words = 2;
    }
    const auto clock = listing::parseClock(w);
    if (!clock || *clock >= listing::kSecondsPerDay) return std::nullopt;
    if (half.empty()) return clock;
    const bool pm = listing::equalsAsciiNoCase(half, "PM");
    if (!pm && !listing::equalsAsciiNoCase(half, "AM")) return std::nullopt;
    const int hour = *clock / 3600;
    if (hour < 1 || hour > 12) return std::nullopt;
    // 12:xxAM is just after midnight, 12:xxPM just after noon.
    const int hour24 = (hour % 12) + (pm ? 12 : 0);
    return *clock + (hour24 - hour) * 3600;
}

// A byte count, possibly with thousands separators ("9,730", "11.399").
bool parseSize(std::string_view w, std::uint64_t& size) {
    std::uint64_t v = 0;
    bool anyDigit = false;
    for (char c : w) {
        if (c == ',' || c == '.') continue;
        if (!listing::isDigit(c)) return false;
        listing::appendDigit(v, c);
        anyDigit = true;
    }
    size = v;
    return anyDigit;
}

// IIS pads the name to a fixed column (39, or 41 with four-digit years). Where that column
// lies inside the blanks after the size, the name starts there and keeps its own leading
// blanks; elsewhere it starts at the first non-blank.
std::size_t nameStart(std::string_view line, const LineTokens& t, std::size_t sizeWord) {
    std::size_t pos = t.end(sizeWord);
    while (pos < line.size() && listing::isBlank(line[pos])) ++pos;
    const std::size_t column = t.begin(0) == 0 && t[0].size() == 8 ? 39 : 41;
    if (t.begin(0) == 0 && t.end(sizeWord) < column && column < pos) return column;
    return pos;
}

}  // namespace

std::optional<FtpEntry> parseDosLine(std::string_view line) {
    const LineTokens t(line);
    if (t.size() < 4) return std::nullopt;
    const auto date = parseDate(t[0]);
    std::size_t timeWords = 0;
    const auto clock = date ? parseTime(t, 1, timeWords) : std::nullopt;
    const std::size_t sizeWord = 1 + timeWords;
    if (!clock || sizeWord + 1 >= t.size()) return std::nullopt;

    FtpEntry entry;
    if (listing::equalsAsciiNoCase(t[sizeWord], "<DIR>")) {
        entry.attributes = kAttrDirectory;
    } else if (parseSize(t[sizeWord], entry.size)) {
        entry.attributes = kAttrNormal;
    } else {
        return std::nullopt;
    }
    entry.mtime = listing::utcSeconds(date->year, date->month, date->day, *clock);
    entry.name.assign(line.substr(nameStart(line, t, sizeWord)));
    return entry;
}

}  // namespace quarrow
