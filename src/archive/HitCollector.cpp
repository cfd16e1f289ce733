#include "archive/HitCollector.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "archive/AtOnce.h"
#include "archive/CaseFold.h"

namespace quarrow {

void HitCollector::add(std::uint32_t line, std::string_view name) {
    const auto& upper = upperTable();
    Keyed hit{{}, static_cast<std::uint32_t>(name.size()), line};
    std::array<std::uint8_t, kKeyWords * 8> bytes{};
    const std::size_t covered = std::min(name.size(), bytes.size());
    for (std::size_t k = 0; k < covered; ++k) bytes[k] = upper[static_cast<std::uint8_t>(name[k])];
    for (std::size_t w = 0; w < kKeyWords; ++w) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + 8 * w, sizeof word);
        hit.key[w] = std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
    }
    const bool folder = std::memchr(name.data(), '/', name.size()) != nullptr;
    (folder ? dirs_ : files_).push_back(hit);
}

SearchHits HitCollector::merged(HitCollector& first, HitCollector& second) {
    atOnce([&] { first.sort(); }, [&] { second.sort(); },
           !second.dirs_.empty() || !second.files_.empty());
    return {first.mergedLines(first.dirs_, second.dirs_),
            first.mergedLines(first.files_, second.files_)};
}

bool HitCollector::before(const Keyed& a, const Keyed& b) const {
    constexpr std::uint32_t covered = kKeyWords * 8;
    // Word by word: comparing the arrays whole calls memcmp for every pair.
    for (std::size_t k = 0; k < kKeyWords; ++k)
        if (a.key[k] != b.key[k]) return a.key[k] < b.key[k];
    // Equal keys: names that end within them are equal up to trailing NUL bytes, so the
    // shorter comes first; longer ones are compared in full.
    if (a.length <= covered || b.length <= covered) {
        if (a.length != b.length) return a.length < b.length;
        return a.line < b.line;
    }
    const int order = compareFolded(names_[a.line], names_[b.line]);
    return order != 0 ? order < 0 : a.line < b.line;
}

void HitCollector::sort() {
    const auto order = [this](const Keyed& a, const Keyed& b) { return before(a, b); };
    std::sort(dirs_.begin(), dirs_.end(), order);
    std::sort(files_.begin(), files_.end(), order);
}

// Both lists are sorted, and no two hits are equal in display order (lines differ).
std::vector<std::uint32_t> HitCollector::mergedLines(const KeyedList& a, const KeyedList& b) const {
    std::vector<std::uint32_t> lines;
    lines.reserve(a.size() + b.size());
    auto x = a.begin(), y = b.begin();
    while (x != a.end() || y != b.end()) {
        const bool fromA = y == b.end() || (x != a.end() && before(*x, *y));
        lines.push_back((fromA ? x++ : y++)->line);
    }
    return lines;
}

}  // namespace quarrow
