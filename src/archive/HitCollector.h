#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "archive/SearchHits.h"
#include "platform/LargeAllocator.h"
#include "platform/StringList.h"

namespace quarrow {

// Gathers a search's hits and puts them in display order: folder hits (names that contain
// "/") apart from file hits, each list ascending by the names upper-cased by the code page
// and compared byte by byte (a prefix first); names equal after upper-casing keep line order.
// Each hit's first 32 upper-cased bytes and its length are taken as it is added, while its
// name is still in the cache: most names are shorter, so sorting reads a name again only for
// two long names that begin alike.
class HitCollector {
public:
    explicit HitCollector(const StringList& names) : names_(names) {}

    void add(std::uint32_t line, std::string_view name);
    // The hits of two collectors over the same names in display order, as if one had
    // gathered them all; the two are sorted at once.
    static SearchHits merged(HitCollector& first, HitCollector& second);

private:
    static constexpr std::size_t kKeyWords = 4;
    struct Keyed {
        std::array<std::uint64_t, kKeyWords> key;  // big-endian, zero-padded
        std::uint32_t length;
        std::uint32_t line;
    };

    // A search of a large archive may gather a million hits; their memory is mapped with
    // large pages, as the archive's is.
    using KeyedList = std::vector<Keyed, LargeAllocator<Keyed>>;

    bool before(const Keyed& a, const Keyed& b) const;
    void sort();
    std::vector<std::uint32_t> mergedLines(const KeyedList& a, const KeyedList& b) const;

    const StringList& names_;
    KeyedList dirs_;
    KeyedList files_;
};

}  // namespace quarrow
