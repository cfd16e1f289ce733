#include <gtest/gtest.h>

#include <random>

#include "archive/ArchiveTestData.h"
#include "archive/MatchExact.h"
#include "archive/SearchQuery.h"

namespace quarrow {
namespace {

std::vector<std::string> namesOf(const ArchiveContent& content,
                                 const std::vector<std::uint32_t>& lines) {
    std::vector<std::string> names;
    for (const auto line : lines) names.emplace_back(content.FileDirs()[line]);
    return names;
}

// The literal stage for the box text `text` over `names`: folder hits, then file hits.
struct Found {
    bool indexed = false;
    std::vector<std::string> dirs, files;
};
Found exact(const std::vector<std::string>& names, const std::string& text) {
    const auto content = test::contentOf(names);
    const SearchQuery query = ParseSearchQuery(text);
    EXPECT_EQ(query.verdict, SearchQuery::Verdict::Search) << text;
    const auto result = MatchExact(*content, query.words, query.wild, SearchCancel());
    EXPECT_TRUE(result.has_value());
    return {result->firstWordIndexed, namesOf(*content, result->hits.dirs),
            namesOf(*content, result->hits.files)};
}

const std::vector<std::string> kRockNames = {"LIVE ROCK.MP3", "ROCK - LIVE.MP3", "Rock Star.mp3",
                                             "Rock.mp3", "/MUSIC/ROCK/"};

TEST(ArchiveExact, BlankFindsWordsInAnyOrderStarInOrder) {
    // "LIVE ROCK.MP3" has effective length 9: it is listed under "L" only and found through
    // the second word's list.
    EXPECT_EQ(exact(kRockNames, "rock live").files,
              (std::vector<std::string>{"LIVE ROCK.MP3", "ROCK - LIVE.MP3"}));
    EXPECT_EQ(exact(kRockNames, "rock*live").files, (std::vector<std::string>{"ROCK - LIVE.MP3"}));
    EXPECT_EQ(exact(kRockNames, "live*rock").files, (std::vector<std::string>{"LIVE ROCK.MP3"}));
}

TEST(ArchiveExact, FoldersAndFilesAreSeparateListsSortedWithoutCase) {
    // Each name is listed under "R": short names by their first character, longer ones by
    // the word after a separator.
    const std::vector<std::string> names = {"rock b.mp3", "/music/Rock/",
                                            "ROCK A.mp3", "\xF0\xEE\xEA rock and roll.txt",
                                            "Rock a.mp3", "/jazz/rock/"};
    const Found found = exact(names, "rock");
    EXPECT_EQ(found.dirs, (std::vector<std::string>{"/jazz/rock/", "/music/Rock/"}));
    // Equal names after upper-casing keep line order; Cyrillic sorts after Latin.
    EXPECT_EQ(found.files, (std::vector<std::string>{"ROCK A.mp3", "Rock a.mp3", "rock b.mp3",
                                                     "\xF0\xEE\xEA rock and roll.txt"}));
}

TEST(ArchiveExact, LaterWordMustLieWithin255CharactersOfTheWordBefore) {
    const auto name = [](std::size_t gap) {
        return "ROCK" + std::string(gap, 'x') + "LIVE END OF NAME";
    };
    EXPECT_EQ(exact({name(251)}, "rock*live").files.size(), 1u);
    EXPECT_EQ(exact({name(252)}, "rock*live").files.size(), 0u);
    EXPECT_EQ(exact({name(252)}, "rock live").files.size(), 1u);
}

TEST(ArchiveExact, OrderedWordFollowsTheFirstOccurrenceOfTheWordBeforeInTheWholeLine) {
    // "CX" comes after the first "BX" although not after the "BX" that follows "AX".
    EXPECT_EQ(exact({"BX CX AX BX"}, "ax*bx*cx").files.size(), 1u);
    EXPECT_EQ(exact({"CX AX BX"}, "ax*bx*cx").files.size(), 0u);
}

TEST(ArchiveExact, UnindexedFirstLetterSearchesNothing) {
    const Found found = exact(kRockNames, "zzz");
    EXPECT_FALSE(found.indexed);
    EXPECT_TRUE(found.files.empty() && found.dirs.empty());
    // Occurring inside a word is not enough to be a candidate.
    const Found inner = exact({"AB CD EF GH.MP3", "XOCK ROCK"}, "ock");
    EXPECT_TRUE(inner.files.empty());
    EXPECT_TRUE(exact(kRockNames, "live rock").indexed);
}

TEST(ArchiveExact, EmptyMiddleWordFindsNothing) {
    const Found found = exact({"AB CD.MP3", "AB  CD"}, "ab  cd");
    EXPECT_TRUE(found.indexed);
    EXPECT_TRUE(found.files.empty());
}

TEST(ArchiveExact, CancelledSearchReturnsNothing) {
    const auto content = test::contentOf(kRockNames);
    std::atomic<std::uint64_t> latest{2};
    EXPECT_FALSE(MatchExact(*content, {"ROCK"}, false, SearchCancel(latest, 1)).has_value());
    EXPECT_TRUE(MatchExact(*content, {"ROCK"}, false, SearchCancel(latest, 2)).has_value());
}

TEST(ArchiveExact, IndexedSearchEqualsPlainScanOfEveryLine) {
    std::mt19937 rng(1234);
    for (int corpus = 0; corpus < 4; ++corpus) {
        const auto names = test::randomNames(rng, 1500);
        const auto content = test::contentOf(names);
        for (int round = 0; round < 150; ++round) {
            const std::string text = test::randomQuery(rng, names);
            const SearchQuery query = ParseSearchQuery(text);
            if (query.verdict != SearchQuery::Verdict::Search) continue;
            const auto found = MatchExact(*content, query.words, query.wild, SearchCancel());
            const auto expected = test::naiveExact(names, query.words, query.wild);
            ASSERT_TRUE(found.has_value());
            ASSERT_EQ(found->firstWordIndexed, expected.firstWordIndexed) << text;
            ASSERT_EQ(found->hits.dirs, expected.dirs) << "query: " << text;
            ASSERT_EQ(found->hits.files, expected.files) << "query: " << text;
        }
    }
}

}  // namespace
}  // namespace quarrow
