#pragma once

// What the core suites share: GoogleTest, temporary folders and the FTP server fixture, arena
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
#include "fixtures/FtpServer.h"
#include "fixtures/TempDir.h"
#include "platform/FileSystem.h"
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
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) { set(zone); }
    ~ScopedTimeZone() { set(saved_ ? saved_->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

    static void set(const char* zone) {
        zone ? ::setenv("TZ", zone, 1) : ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> saved_ =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

}  // namespace quarrow::test
