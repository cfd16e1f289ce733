#pragma once

// Helpers the core suites share: arena lists as vectors, file bytes, waiting, the time zone.

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/StringList.h"

namespace quarrow::test {

// Arena lists to and from plain vectors, so a whole list is compared in one expectation.
inline StringList toList(const std::vector<std::string>& lines) {
    StringList list;
    for (const auto& line : lines) list.append(line);
    return list;
}

inline std::vector<std::string> linesOf(const StringList& list) {
    std::vector<std::string> lines;
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
