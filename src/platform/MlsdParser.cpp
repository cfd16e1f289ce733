#include "platform/ListingParser.h"
#include "platform/ListingText.h"
#include "platform/ListingTime.h"

namespace quarrow {
namespace {

using listing::equalsAsciiNoCase;
using listing::parseField;
using listing::startsWithAsciiNoCase;

// Where the facts end and the name begins. Conforming lines end the facts with ";" and one
// space; tolerated: a TAB instead of the space, a space inside a fact value, and a missing
// final ";".
std::size_t findNameSeparator(std::string_view line) {
    const std::size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos || blank == 0) return std::string_view::npos;
    if (line[blank - 1] == ';') return blank;
    const std::size_t factsEnd = line.find("; ");
    return factsEnd != std::string_view::npos ? factsEnd + 1 : blank;
}

// "YYYYMMDDHHMMSS" with an optional ".fraction", always UTC.
std::optional<std::int64_t> parseModify(std::string_view value) {
    const std::string_view whole = value.substr(0, value.find('.'));
    if (whole.size() != 14) return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!parseField(whole.substr(0, 4), 4, year) || !parseField(whole.substr(4, 2), 2, month) ||
        !parseField(whole.substr(6, 2), 2, day) || !parseField(whole.substr(8, 2), 2, hour) ||
        !parseField(whole.substr(10, 2), 2, minute) || !parseField(whole.substr(12, 2), 2, second))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > listing::daysInMonth(year, month) ||
        hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    return listing::utcSeconds(year, month, day, hour * 3600 + minute * 60 + second);
}

enum class MlsdType { kFile, kDir, kLink, kListedFolder };

MlsdType classifyType(std::string_view value) {
    if (equalsAsciiNoCase(value, "dir")) return MlsdType::kDir;
    if (equalsAsciiNoCase(value, "cdir") || equalsAsciiNoCase(value, "pdir"))
        return MlsdType::kListedFolder;
    // "OS.unix=slink:<target>" (RFC 3659's example) and "OS.unix=symlink" (ProFTPD).
    if (startsWithAsciiNoCase(value, "os.unix=slink") ||
        startsWithAsciiNoCase(value, "os.unix=symlink"))
        return MlsdType::kLink;
    return MlsdType::kFile;
}

}  // namespace

std::optional<FtpEntry> parseMlsdLine(std::string_view line) {
    const std::size_t separator = findNameSeparator(line);
    if (separator == std::string_view::npos || separator + 1 >= line.size()) return std::nullopt;
    std::string_view facts = line.substr(0, separator);
    MlsdType type = MlsdType::kFile;
    FtpEntry entry;
    while (!facts.empty()) {
        const std::size_t end = facts.find(';');
        const std::string_view fact = facts.substr(0, end);
        facts = end == std::string_view::npos ? std::string_view{} : facts.substr(end + 1);
        if (fact.empty()) continue;
        const std::size_t eq = fact.find('=');
        if (eq == std::string_view::npos || eq == 0) return std::nullopt;
        const std::string_view name = fact.substr(0, eq);
        const std::string_view value = fact.substr(eq + 1);
        if (equalsAsciiNoCase(name, "type")) {
            type = classifyType(value);
        } else if (equalsAsciiNoCase(name, "size")) {
            listing::parseDecimal(value, entry.size);
        } else if (equalsAsciiNoCase(name, "modify")) {
            entry.mtime = parseModify(value).value_or(0);
        }
    }
    if (type == MlsdType::kListedFolder) return std::nullopt;
    switch (type) {
        case MlsdType::kDir:
            entry.attributes = kAttrDirectory;
            entry.size = 0;
            break;
        case MlsdType::kLink:
            entry.attributes = kAttrReparsePoint | kAttrNormal;
            break;
        default:
            entry.attributes = kAttrNormal;
            break;
    }
    entry.name.assign(line.substr(separator + 1));
    return entry;
}

}  // namespace quarrow
