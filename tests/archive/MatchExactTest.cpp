#include <gtest/gtest.h>

#include "archive/ArchiveTestData.h"
#include "archive/MatchExact.h"
#include "archive/SearchQuery.h"

namespace quarrow {
namespace {

using Names = std::vector<std::string>;

std::vector<std::string> namesOf(const ArchiveContent& content,
                                 const std::vector<std::uint32_t>& lines) {
    std::vector<std::string> names;
    for (const auto line : lines) names.emplace_back(content.FileDirs()[line]);
    return names;
}

// The literal stage for the box text `text` over `names`: folder hits, then file hits.
struct Found {
    bool indexed = false;
    Names dirs, files;
};
Found exact(const Names& names, const std::string& text) {
    const auto content = test::contentOf(names);
    const SearchQuery query = ParseSearchQuery(text);
    EXPECT_EQ(query.verdict, SearchQuery::Verdict::Search) << text;
    const auto result = MatchExact(*content, query.words, query.wild, SearchCancel());
    EXPECT_TRUE(result.has_value());
    return {result->firstWordIndexed, namesOf(*content, result->hits.dirs),
            namesOf(*content, result->hits.files)};
}

const Names kRockNames = {"LIVE ROCK.MP3", "ROCK - LIVE.MP3", "Rock Star.mp3", "Rock.mp3",
                          "/MUSIC/ROCK/"};

TEST(ArchiveExact, FindsTheFilesTheWordsAndTheirOrderAllow) {
    const auto gap = [](std::size_t n) {
        return "ROCK" + std::string(n, 'x') + "LIVE END OF NAME";
    };
    const struct {
        Names names;
        std::string text;
        bool indexed;
        Names files;
    } cases[] = {
        // "LIVE ROCK.MP3" has effective length 9: it is listed under "L" only and found through
        // the second word's list. A blank finds words in any order, a star in order.
        {kRockNames, "rock live", true, {"LIVE ROCK.MP3", "ROCK - LIVE.MP3"}},
        {kRockNames, "rock*live", true, {"ROCK - LIVE.MP3"}},
        {kRockNames, "live*rock", true, {"LIVE ROCK.MP3"}},
        // A later word must lie within 255 characters of the word before.
        {{gap(251)}, "rock*live", true, {gap(251)}},
        {{gap(252)}, "rock*live", true, {}},
        {{gap(252)}, "rock live", true, {gap(252)}},
        // "CX" follows the first "BX" of the whole line, not the "BX" after "AX".
        {{"BX CX AX BX"}, "ax*bx*cx", true, {"BX CX AX BX"}},
        {{"CX AX BX"}, "ax*bx*cx", false, {}},
        // An unindexed first letter searches nothing; occurring inside a word is not enough.
        {kRockNames, "zzz", false, {}},
        {{"AB CD EF GH.MP3", "XOCK ROCK"}, "ock", false, {}},
        // An empty middle word finds nothing.
        {{"AB CD.MP3", "AB  CD"}, "ab  cd", true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " in " + testing::PrintToString(c.names));
        const Found found = exact(c.names, c.text);
        EXPECT_EQ(found.indexed, c.indexed);
        EXPECT_EQ(found.files, c.files);
    }
}

TEST(ArchiveExact, FoldersAndFilesAreSeparateListsSortedWithoutCase) {
    // Each name is listed under "R": short names by their first character, longer ones by
    // the word after a separator.
    const Names names = {"rock b.mp3", "/music/Rock/",
                         "ROCK A.mp3", "\xF0\xEE\xEA rock and roll.txt",
                         "Rock a.mp3", "/jazz/rock/"};
    const Found found = exact(names, "rock");
    EXPECT_EQ(found.dirs, (Names{"/jazz/rock/", "/music/Rock/"}));
    // Equal names after upper-casing keep line order; Cyrillic sorts after Latin.
    EXPECT_EQ(found.files,
              (Names{"ROCK A.mp3", "Rock a.mp3", "rock b.mp3", "\xF0\xEE\xEA rock and roll.txt"}));
}

TEST(ArchiveExact, CancelledSearchReturnsNothing) {
    const auto content = test::contentOf(kRockNames);
    std::atomic<std::uint64_t> latest{2};
    EXPECT_FALSE(MatchExact(*content, {"ROCK"}, false, SearchCancel(latest, 1)).has_value());
    EXPECT_TRUE(MatchExact(*content, {"ROCK"}, false, SearchCancel(latest, 2)).has_value());
}

}  // namespace
}  // namespace quarrow
