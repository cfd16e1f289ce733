#include "archive/FoldedFinder.h"

#include "archive/CaseFold.h"

namespace quarrow {

FoldedFinder::FoldedFinder(std::string_view word) {
    const auto& upper = upperTable();
    word_.reserve(word.size());
    for (const char c : word)
        word_.push_back(static_cast<char>(upper[static_cast<std::uint8_t>(c)]));
    const std::size_t m = word_.size();
    std::array<std::uint32_t, 256> byUpper;
    byUpper.fill(static_cast<std::uint32_t>(m));
    for (std::size_t k = 0; k + 1 < m; ++k)
        byUpper[static_cast<std::uint8_t>(word_[k])] = static_cast<std::uint32_t>(m - 1 - k);
    for (int b = 0; b < 256; ++b) shift_[b] = byUpper[upper[b]];
}

std::size_t FoldedFinder::find(std::string_view text, std::size_t from) const {
    const std::size_t m = word_.size();
    if (m == 0 || from > text.size() || text.size() - from < m) return npos;
    const auto& upper = upperTable();
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* word = reinterpret_cast<const std::uint8_t*>(word_.data());
    const std::uint8_t last = word[m - 1];
    for (std::size_t i = from; i + m <= text.size();) {
        const std::uint8_t tail = data[i + m - 1];
        if (upper[tail] == last) {
            std::size_t k = 0;
            while (k + 1 < m && upper[data[i + k]] == word[k]) ++k;
            if (k + 1 == m) return i;
        }
        i += shift_[tail];
    }
    return npos;
}

}  // namespace quarrow
