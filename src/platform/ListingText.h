#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Small text helpers shared by the listing parsers. Lines are raw bytes of any code page, so
// only ASCII is ever classified or case-folded.
namespace quarrow::listing {

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

inline bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (!isDigit(c)) return false;
    }
    return true;
}

// Appends one decimal digit to a byte count. A count past 64 bits stays at UINT64_MAX: a
// server's absurd size keeps its entry, which is more use to a user than losing the file.
inline void appendDigit(std::uint64_t& value, char c) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
}

// A decimal byte count of digits only, saturated as appendDigit does; false when empty or not
// all digits.
inline bool parseDecimal(std::string_view s, std::uint64_t& value) {
    if (!allDigits(s)) return false;
    std::uint64_t v = 0;
    for (char c : s) appendDigit(v, c);
    value = v;
    return true;
}

// A short decimal field (day, hour, year): digits only, at most `maxDigits` of them.
inline bool parseField(std::string_view s, std::size_t maxDigits, int& value) {
    if (s.size() > maxDigits || !allDigits(s)) return false;
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    value = v;
    return true;
}

inline bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

inline bool startsWithAsciiNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

// The first blank-separated words of a line with their positions, so that a name can be taken
// as the exact rest of the line after a given word. Words past kMax are not split.
class LineTokens {
public:
    static constexpr std::size_t kMax = 16;

    explicit LineTokens(std::string_view line) : line_(line) {
        std::size_t pos = 0;
        while (count_ < kMax) {
            while (pos < line.size() && isBlank(line[pos])) ++pos;
            if (pos >= line.size()) break;
            const std::size_t begin = pos;
            while (pos < line.size() && !isBlank(line[pos])) ++pos;
            begins_[count_] = begin;
            ends_[count_] = pos;
            ++count_;
        }
    }

    std::size_t size() const { return count_; }
    std::string_view operator[](std::size_t i) const {
        return line_.substr(begins_[i], ends_[i] - begins_[i]);
    }
    std::size_t begin(std::size_t i) const { return begins_[i]; }
    std::size_t end(std::size_t i) const { return ends_[i]; }

private:
    std::string_view line_;
    std::array<std::size_t, kMax> begins_{};
    std::array<std::size_t, kMax> ends_{};
    std::size_t count_ = 0;
};

}  // namespace quarrow::listing
