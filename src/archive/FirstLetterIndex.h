#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StringList.h"

namespace quarrow {

// The characters (upper-cased) under which the index lists `line`, in the order the builder
// adds them. The first character may come twice: the word-start rule does not remember it.
// `out` is replaced; reusing one string avoids an allocation per line.
void IndexedChars(std::string_view line, std::string& out);

// The first-letter index over the archive's names: for every character that begins an
// indexed word, the line numbers listed under it. A search looks only at the lines of its
// words' first characters. Stored as one array of 32-bit line numbers grouped by character
// (each group in the order the builder added its entries), so a million names cost a few
// bytes each rather than a list object per entry.
class FirstLetterIndex {
public:
    // BuildFirstLetterIndex over every line; stops early, leaving a partial index, once
    // `stop` is raised (a shutting-down program).
    static FirstLetterIndex Build(const StringList& lines, const std::atomic<bool>* stop = nullptr);

    bool has(unsigned char c) const { return starts_[c] != starts_[c + 1]; }
    // The list of character `c` (upper-cased); empty when it was never indexed.
    std::span<const std::uint32_t> list(unsigned char c) const {
        return {entries_.data() + starts_[c], entries_.data() + starts_[c + 1]};
    }
    std::size_t entryCount() const { return entries_.size(); }
    std::size_t memoryBytes() const { return entries_.capacity() * sizeof(std::uint32_t); }

private:
    class Segment;

    std::array<std::size_t, 257> starts_{};
    std::vector<std::uint32_t> entries_;
};

}  // namespace quarrow
