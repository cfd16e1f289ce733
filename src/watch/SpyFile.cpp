#include "watch/SpyFile.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <vector>

#include "engine/Masks.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

constexpr std::string_view kSection = "Spy";
constexpr std::time_t kSecondsPerDay = 24 * 60 * 60;
constexpr int kMinute = 60000;

enum Field {
    kServer,
    kPath,
    kMask,
    kInterval,
    kActive,
    kPassword,
    kUser,
    kPort,
    kDate,
    kStartProgram,
    kDay,
    kFilterSave,
    kSaveName,
    kInDirChild,
    kTls,
    kFieldCount
};

struct Marker {
    std::string_view text;  // written before the value
    std::string_view end;   // what ends the value of the field before it
    const char* name;       // for error texts
};

constexpr std::array<Marker, kFieldCount> kMarkers{{
    {"|server=", "|server=", "server"},
    {"|path=", "|path=", "path"},
    {"|mask=", "|mask=", "mask"},
    {"|interval=", "|interval", "interval"},
    {"|active=", "|active=", "active"},
    {"|password=", "|password=", "password"},
    {"|user=", "|user=", "user"},
    {"|port=", "|port=", "port"},
    {"|date=", "|date=", "date"},
    {"|startprogramm=", "|startprogramm=", "startprogramm"},
    {"|day=", "|day=", "day"},
    {"|filtersave=", "|filtersave", "filtersave"},
    {"|savename=", "|savename=", "savename"},
    {"|indirchild=", "|indirchild=", "indirchild"},
    {"|tls=", "|tls=", "tls"},
}};

const char* flag(bool set) {
    return set ? "+" : "-";
}

std::string dateTimeText(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    std::string text = formatDate(t);
    if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0) return text;
    char time[32];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    return text + time;
}

// The text after the first occurrence of the field's marker; nothing when the line lacks it.
std::optional<std::string_view> afterMarker(std::string_view line, Field field) {
    const std::string_view marker = kMarkers[field].text;
    const auto at = line.find(marker);
    if (at == std::string_view::npos) return std::nullopt;
    return line.substr(at + marker.size());
}

// The value up to the following marker, or, when the line lacks that one, up to the next later
// marker it holds.
std::optional<std::string_view> valueOf(std::string_view line, Field field) {
    const auto rest = afterMarker(line, field);
    if (!rest) return std::nullopt;
    for (int next = field + 1; next < kFieldCount; ++next) {
        const std::string_view end = kMarkers[next].end;
        if (line.find(end) == std::string_view::npos) continue;
        const auto stop = rest->find(end);
        return stop == std::string_view::npos ? std::string_view() : rest->substr(0, stop);
    }
    return rest;
}

std::string_view firstCharAfter(std::string_view line, Field field) {
    const auto rest = afterMarker(line, field);
    return rest ? rest->substr(0, 1) : std::string_view();
}

class LineReader {
public:
    LineReader(std::string_view line, std::string* error) : line_(line), error_(error) {}

    bool ok() const { return ok_; }

    std::string text(Field field) const { return std::string(valueOf(line_, field).value_or("")); }
    bool plus(Field field) const { return valueOf(line_, field) == "+"; }
    bool firstPlus(Field field) const { return firstCharAfter(line_, field) == "+"; }

    int number(Field field, std::optional<int> missing, bool trimmed) {
        const auto value = valueOf(line_, field);
        if (!value && missing) return *missing;
        return convert(field, trimmed ? trimText(value.value_or("")) : value.value_or(""));
    }
    int firstDigit(Field field, int missing) {
        if (!afterMarker(line_, field)) return missing;
        return convert(field, trimText(firstCharAfter(line_, field)));
    }

private:
    int convert(Field field, std::string_view text) {
        if (const auto number = parseIniInteger(text)) return *number;
        if (ok_ && error_)
            *error_ = std::string(kMarkers[field].name) + ": " + WatchNumberError(text);
        ok_ = false;
        return 0;
    }

    std::string_view line_;
    std::string* error_;
    bool ok_ = true;
};

std::string watchLine(const TFtpMain& entry, std::string_view unit) {
    return entry.Server + entry.Path + "   " + entry.Mask + "   " +
           std::to_string(entry.Interval.load() / kMinute) + std::string(unit);
}

void setLoadedFields(WatchEntry& entry, const SpyFields& fields, const WatchTexts& texts,
                     std::time_t now) {
    entry.Server = fields.Server;
    entry.Path = fields.Path;
    entry.Mask = fields.Mask;
    entry.Password = fields.Password;
    entry.UserName = fields.UserName;
    entry.ResumeBase = fields.ResumeBase;
    entry.Interval.store(fields.Interval);
    entry.Active.store(fields.Active);
    entry.Port = fields.Port;
    entry.CheckAtStart.store(fields.CheckAtStart);
    entry.ShowDays.store(fields.ShowDays);
    entry.TextExport = fields.TextExport;
    entry.Recursive = fields.Recursive;
    entry.Tls = fields.Tls;

    entry.Extensions = BuildExtensions(entry.Mask);
    entry.Connected.store(false);
    entry.DirIndex.store(0);
    entry.IdleMinutes.store(0);
    entry.CheckNumber.store(1);
    entry.NewSince.store(WatchNewSince(now, fields.ShowDays));
    entry.setStatusText(texts.form.start1 + std::to_string(fields.Interval / kMinute) + " min");
}

}  // namespace

std::string WatchNumberError(std::string_view text) {
    return "'" + cp1251ToUtf8(text) + "' is not a valid integer value";
}

std::optional<std::string_view> FindSpyMarker(std::string_view text) {
    for (const Marker& marker : kMarkers)
        if (text.find(marker.end) != std::string_view::npos) return marker.end;
    return std::nullopt;
}

std::time_t WatchNewSince(std::time_t now, int days) {
    return now - static_cast<std::time_t>(days) * kSecondsPerDay;
}

std::string BuildSpyLine(const TFtpMain& entry) {
    std::array<std::string, kFieldCount> values;
    values[kServer] = entry.Server;
    values[kPath] = entry.Path;
    values[kMask] = entry.Mask;
    values[kInterval] = std::to_string(entry.Interval.load());
    values[kActive] = flag(entry.Active.load());
    values[kPassword] = entry.Password;
    values[kUser] = entry.UserName;
    values[kPort] = std::to_string(entry.Port);
    values[kDate] = dateTimeText(entry.NewSince.load());
    values[kStartProgram] = flag(entry.CheckAtStart.load());
    values[kDay] = std::to_string(entry.ShowDays.load()) + " ";
    values[kFilterSave] = std::to_string(entry.TextExport);
    values[kSaveName] = entry.ResumeBase;
    values[kInDirChild] = flag(entry.Recursive);
    values[kTls] = flag(entry.Tls);
    // The TLS marker only where it is set: every other line stays as older programs wrote it.
    const int fields = entry.Tls ? kFieldCount : kTls;
    std::string line;
    for (int field = 0; field < fields; ++field)
        line += std::string(kMarkers[field].text) + values[field];
    return line;
}

std::optional<SpyFields> ParseSpyLine(std::string_view line, std::string* error) {
    LineReader read(line, error);
    SpyFields fields;
    fields.Server = read.text(kServer);
    fields.Path = read.text(kPath);
    fields.Mask = read.text(kMask);
    fields.Interval = read.number(kInterval, std::nullopt, false);
    fields.Active = read.plus(kActive);
    fields.Password = read.text(kPassword);
    fields.UserName = read.text(kUser);
    fields.Port = read.number(kPort, 21, false);
    fields.CheckAtStart = read.firstPlus(kStartProgram);
    fields.ShowDays = read.number(kDay, 7, true);
    fields.TextExport = read.firstDigit(kFilterSave, 1);
    fields.ResumeBase = read.text(kSaveName);
    fields.Recursive = read.firstPlus(kInDirChild);
    fields.Tls = read.firstPlus(kTls);
    if (!read.ok()) return std::nullopt;
    return fields;
}

std::string LoadedWatchLine(const TFtpMain& entry) {
    return watchLine(entry, " min");
}

std::string AddedWatchLine(const TFtpMain& entry) {
    return watchLine(entry, " \xEC\xE8\xED ");
}

std::string ChangedWatchLine(const TFtpMain& entry) {
    return watchLine(entry, " min ");
}

std::string SpyFilePath(std::string_view programDir) {
    return std::string(programDir) + "Spy/Spy.ini";
}

SpyLoadResult LoadWatchList(const std::string& programDir, WatchTable& table,
                            const WatchTexts& texts, std::time_t now) {
    SpyLoadResult result;
    IniFile file(SpyFilePath(programDir));
    if (!file.load(&result.error)) return result;
    const std::string last = file.readString(kSection, "-1", "-1");
    const auto lastIndex = parseIniInteger(last);
    if (!lastIndex) {
        result.error = WatchNumberError(last);
        result.key = "-1";
        return result;
    }
    for (int i = 0; i <= *lastIndex; ++i) {
        const std::string key = std::to_string(i);
        std::string error;
        const auto fields = ParseSpyLine(file.readString(kSection, key, ""), &error);
        if (!fields) {
            result.error = "key " + key + ", " + error;
            result.key = key;
            return result;
        }
        const int index = table.add();
        const auto entry = table.at(index);
        setLoadedFields(*entry, *fields, texts, now);
        table.appendLine(index, LoadedWatchLine(*entry), entry->Active.load());
        ++result.loaded;
    }
    return result;
}

bool SaveWatchList(const std::string& programDir, const WatchTable& table, std::string* error) {
    const auto lines = table.lines();
    std::vector<std::string> fileLines{"[" + std::string(kSection) + "]",
                                       "-1=" + std::to_string(static_cast<int>(lines.size()) - 1)};
    for (std::size_t p = 0; p < lines.size(); ++p) {
        const auto entry = table.at(lines[p].entry);
        const std::string value = entry ? BuildSpyLine(*entry) : std::string();
        if (!entry || value.find_first_of("\r\n") != std::string::npos) {
            if (error) *error = "Watch list line " + std::to_string(p + 1) + " cannot be stored";
            return false;
        }
        fileLines.push_back(std::to_string(p) + "=" + value);
    }
    makeDirectory(programDir + "Spy");
    const std::string path = SpyFilePath(programDir);
    return writeFileAtomic(path, path + ".tmp", joinLines(fileLines), error, 0600);
}

}  // namespace quarrow
