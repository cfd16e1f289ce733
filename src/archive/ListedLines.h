#pragma once

#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

#include "archive/FirstLetterIndex.h"

namespace quarrow {

// The lines one part of the index lists under any of several characters, as one bit per line.
// A line listed under two of them (or twice under one) is met once, and the lines are read
// back in ascending order, so whatever a search reads per line is read in one pass through
// memory instead of once per list.
class ListedLines {
public:
    ListedLines(const FirstLetterIndex& index, std::string_view chars, std::size_t part)
        : from_(index.partBegin(part)), bits_((index.partBegin(part + 1) - from_ + 63) / 64) {
        for (const char c : chars)
            index.forEach(static_cast<unsigned char>(c), part, [&](std::uint32_t line) {
                const std::size_t at = line - from_;
                bits_[at >> 6] |= std::uint64_t{1} << (at & 63);
                return true;
            });
    }

    // Hands each line to `visit(line)`, ascending; `more()` is asked between stretches of 64
    // lines and ends the visit when it returns false.
    template <class Visit, class More>
    void forEach(Visit visit, More more) const {
        for (std::size_t w = 0; w < bits_.size() && more(); ++w)
            for (std::uint64_t word = bits_[w]; word != 0; word &= word - 1)
                visit(static_cast<std::uint32_t>(from_ + 64 * w + std::countr_zero(word)));
    }

private:
    std::size_t from_;
    std::vector<std::uint64_t> bits_;
};

}  // namespace quarrow
