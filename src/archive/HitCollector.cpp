#include "archive/HitCollector.h"

#include <algorithm>
#include <cstring>

#include "archive/CaseFold.h"

namespace quarrow {

void HitCollector::add(std::uint32_t line, std::string_view name) {
    const auto& upper = upperTable();
    Keyed hit{{}, static_cast<std::uint32_t>(name.size()), line};
    for (std::size_t k = 0; k < kKeyWords * 8; ++k) {
        std::uint64_t& word = hit.key[k / 8];
        word <<= 8;
        if (k < name.size()) word |= upper[static_cast<std::uint8_t>(name[k])];
    }
    const bool folder = std::memchr(name.data(), '/', name.size()) != nullptr;
    (folder ? dirs_ : files_).push_back(hit);
}

SearchHits HitCollector::finish() {
    SearchHits hits;
    hits.dirs = sorted(dirs_);
    hits.files = sorted(files_);
    return hits;
}

std::vector<std::uint32_t> HitCollector::sorted(std::vector<Keyed>& hits) const {
    constexpr std::uint32_t covered = kKeyWords * 8;
    std::sort(hits.begin(), hits.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.key != b.key) return a.key < b.key;
        // Equal keys: names that end within them are equal up to trailing NUL bytes, so the
        // shorter comes first; longer ones are compared in full.
        if (a.length <= covered || b.length <= covered) {
            if (a.length != b.length) return a.length < b.length;
            return a.line < b.line;
        }
        const int order = compareFolded(names_[a.line], names_[b.line]);
        return order != 0 ? order < 0 : a.line < b.line;
    });
    std::vector<std::uint32_t> lines(hits.size());
    for (std::size_t k = 0; k < hits.size(); ++k) lines[k] = hits[k].line;
    return lines;
}

}  // namespace quarrow
