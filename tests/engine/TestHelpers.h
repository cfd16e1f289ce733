#pragma once

// What the core suites share: GoogleTest, temporary folders and the server fixtures, arena
// lists as vectors, file bytes, waiting, clocks, a counting notifier.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/Notifier.h"
#include "fixtures/FixtureProcess.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
#include "platform/FtpEntry.h"
#include "platform/StringList.h"
#include "platform/TextLines.h"

namespace quarrow::test {

using Lines = std::vector<std::string>;

// Arena lists to and from plain vectors, so a whole list is compared in one expectation.
inline StringList toList(const Lines& lines) {
    StringList list;
    for (const auto& line : lines) list.append(line);
    return list;
}

inline Lines linesOf(const StringList& list) {
    Lines lines;
    for (std::size_t i = 0; i < list.size(); ++i) lines.emplace_back(list[i]);
    return lines;
}

// The names of listed entries, in the listing's order.
inline Lines namesOf(const std::vector<FtpEntry>& entries) {
    Lines names;
    for (const FtpEntry& entry : entries) names.push_back(entry.name);
    return names;
}

// How many of `lines` start with one of `prefixes`.
inline std::size_t countStarting(const Lines& lines, const Lines& prefixes) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return std::any_of(prefixes.begin(), prefixes.end(),
                           [&](const std::string& p) { return line.starts_with(p); });
    });
}

// The keys that point a scan or a watch entry at the loopback server on `port`.
inline std::string loopback(int port) {
    return "[server=127.0.0.1][port=" + std::to_string(port) + "]";
}

// `folders` folders "dNN" (from "d10" on, so they sort as made) of `files` files "fN.mp3".
inline std::vector<TreeItem> folderTree(int folders, int files = 1) {
    std::vector<TreeItem> items;
    for (int d = 0; d < folders; ++d)
        for (int f = 0; f < files; ++f)
            items.push_back(
                {"d" + std::to_string(10 + d) + "/f" + std::to_string(f) + ".mp3", "x"});
    return items;
}

// A test server whose every listing waits `seconds` before it answers.
inline FtpServerOptions slowListings(double seconds) {
    FtpServerOptions options;
    options.listDelaySeconds = seconds;
    return options;
}

// Polls `condition` for up to `limit`; false when it never held.
template <class Condition>
bool waitUntil(Condition condition,
               std::chrono::milliseconds limit = std::chrono::milliseconds(20000)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The bytes of a file, nullopt when it cannot be read.
inline std::optional<std::string> bytesOf(const std::string& path) {
    std::string bytes;
    return readWholeFile(path, bytes) ? std::optional(bytes) : std::nullopt;
}

// Writes the bytes as they are, in place, as a user or another tool would.
inline void writeRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A calendar moment with the daylight-saving flag left to the C library.
inline std::tm calendar(int year, int month, int day, int hour = 0, int minute = 0,
                        int second = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
}

// A moment of local time.
inline std::time_t localTime(int year, int month, int day, int hour = 0, int minute = 0,
                             int second = 0) {
    std::tm tm = calendar(year, month, day, hour, minute, second);
    return std::mktime(&tm);
}

// Counts the wake-ups a worker sends.
class CountingNotifier : public Notifier {
public:
    void enable() override { ++calls; }
    std::atomic<int> calls{0};
};

// The process's time zone set to `zone` for the object's life.
struct ScopedTimeZone {
    explicit ScopedTimeZone(const char* zone) { set(zone); }
    ~ScopedTimeZone() { set(saved ? saved->c_str() : nullptr); }
    static void set(const char* zone) {
        zone ? ::setenv("TZ", zone, 1) : ::unsetenv("TZ");
        ::tzset();
    }
    const std::optional<std::string> saved =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

}  // namespace quarrow::test
