#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "archive/HitCollector.h"
#include "platform/Cp1251.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

// Display order written plainly: upper-cased bytes as unsigned values, a prefix first, then
// line order.
std::vector<std::uint32_t> plainOrder(const std::vector<std::string>& names) {
    std::vector<std::uint32_t> lines(names.size());
    for (std::uint32_t i = 0; i < lines.size(); ++i) lines[i] = i;
    const auto key = [&](std::uint32_t i) {
        const std::string upper = upperCp1251(names[i]);
        return std::basic_string<unsigned char>(upper.begin(), upper.end());
    };
    std::stable_sort(lines.begin(), lines.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
    return lines;
}

SearchHits collect(const std::vector<std::string>& names) {
    StringList list;
    for (const auto& name : names) list.append(name);
    HitCollector collector(list);
    for (std::uint32_t i = 0; i < names.size(); ++i) collector.add(i, list[i]);
    return collector.finish();
}

TEST(ArchiveHitOrder, SortsByUpperCasedBytesThenLine) {
    const std::string longPrefix(32, 'q');
    const std::vector<std::string> names = {"b.mp3",
                                            "A.mp3",
                                            "a.MP3",
                                            "ab",
                                            "ab\0"s,
                                            "AB\0\0"s,
                                            "ab\x01"s,
                                            "\xE0.mp3",
                                            "\xC0.mp3",
                                            "z.mp3",
                                            longPrefix + "b",
                                            longPrefix + "A",
                                            longPrefix + "a\0"s,
                                            longPrefix,
                                            longPrefix + "aa",
                                            longPrefix + "Ab",
                                            "\xB8",
                                            "\xA8",
                                            "\x80",
                                            "\x90"};
    const SearchHits hits = collect(names);
    EXPECT_TRUE(hits.dirs.empty());
    EXPECT_EQ(hits.files, plainOrder(names));
}

TEST(ArchiveHitOrder, AgreesWithPlainSortOnRandomNames) {
    std::mt19937 rng(3);
    const std::string alphabet = "aAbB \x01\0\xE0\xC0/"s;
    for (int round = 0; round < 50; ++round) {
        std::vector<std::string> names(300);
        for (auto& name : names) {
            // Long shared beginnings and short tails make ties past the first 32 bytes common.
            name = std::string(rng() % 2 ? 30 + rng() % 6 : 0, 'x');
            for (std::size_t n = rng() % 6; n > 0; --n) name += alphabet[rng() % alphabet.size()];
        }
        const SearchHits hits = collect(names);
        std::vector<std::uint32_t> files, dirs;
        for (const auto line : plainOrder(names))
            (names[line].find('/') != std::string::npos ? dirs : files).push_back(line);
        ASSERT_EQ(hits.files, files);
        ASSERT_EQ(hits.dirs, dirs);
    }
}

}  // namespace
}  // namespace quarrow
