#include <gtest/gtest.h>

#include <random>

#include "archive/ArchiveTestData.h"
#include "archive/HitCollector.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

// Names with long shared beginnings and short tails, so ties past the first 32 bytes are
// common; NULs, control bytes, Cyrillic of both cases (ё and Ё included) and bytes without
// a letter fold as upper-casing says.
TEST(ArchiveHitOrder, SortsByUpperCasedBytesThenLineLikeAPlainSort) {
    std::mt19937 rng(3);
    const std::string alphabet = "aAbB \x01\0\xE0\xC0\xB8\xA8\x80\x90/"s;
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> names(300);
        for (auto& name : names) {
            name = std::string(rng() % 2 ? 30 + rng() % 6 : 0, 'x');
            for (std::size_t n = rng() % 6; n > 0; --n) name += alphabet[rng() % alphabet.size()];
        }
        StringList list;
        for (const auto& name : names) list.append(name);
        HitCollector collector(list);
        std::vector<std::uint32_t> files, dirs;
        for (std::uint32_t i = 0; i < names.size(); ++i) {
            collector.add(i, list[i]);
            (names[i].find('/') != std::string::npos ? dirs : files).push_back(i);
        }
        const SearchHits hits = collector.finish();
        test::sortByName(names, files);
        test::sortByName(names, dirs);
        ASSERT_EQ(hits.files, files);
        ASSERT_EQ(hits.dirs, dirs);
    }
}

}  // namespace
}  // namespace quarrow
