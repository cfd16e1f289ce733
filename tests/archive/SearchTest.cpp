
#include <random>

#include "archive/ArchiveTestData.h"
#include "archive/FirstLetterIndex.h"
#include "archive/HitCollector.h"
#include "archive/MatchExact.h"
#include "archive/MatchTolerant.h"
#include "archive/RunScore.h"
#include "archive/SearchQuery.h"
#include "engine/TestHelpers.h"
#include "platform/Cp1251.h"

using namespace std::string_literals;

namespace quarrow::test {
namespace {

using Verdict = SearchQuery::Verdict;

TEST(ArchiveQuery, SplitsBoxTextIntoWords) {
    const struct {
        std::string text;
        Verdict verdict;
        Lines words;
        bool wild;
    } cases[] = {
        {"rock live", Verdict::Search, {"ROCK", "LIVE"}, true},
        {"rock*live", Verdict::Search, {"ROCK", "LIVE"}, false},
        {"rock?live", Verdict::Search, {"ROCK", "LIVE"}, true},
        {"rock", Verdict::Search, {"ROCK"}, false},
        // Two blanks in a row leave an empty word between them.
        {"ab  cd", Verdict::Search, {"AB", "", "CD"}, true},
        // A blank typed last, or a star as the last non-blank character, searches nothing.
        {"rock ", Verdict::NoResult, {}, false},
        {"rock* ", Verdict::NoResult, {}, false},
        // A trailing "?" is not a star yet: it leaves an empty last word.
        {"rock?", Verdict::Search, {"ROCK", ""}, true},
        // One leading separator is dropped; two leave an empty first word.
        {" rock", Verdict::Search, {"ROCK"}, true},
        {"*rock", Verdict::Search, {"ROCK"}, false},
        {"  rock", Verdict::NoResult, {}, false},
        // The star check reads the untrimmed text at the trimmed length.
        {" x*", Verdict::Search, {"X", ""}, true},
        // "|\/:<>" never take part; a text of nothing else only redraws.
        {"a/b:c", Verdict::Search, {"ABC"}, false},
        {" \t/", Verdict::RedrawOnly, {}, false},
        // Words are trimmed of control characters; Cyrillic is upper-cased.
        {"rock\t", Verdict::Search, {"ROCK"}, false},
        {"\xF0\xEE\xEA", Verdict::Search, {"\xD0\xCE\xCA"}, false},
    };
    for (const auto& c : cases) {
        const SearchQuery query = ParseSearchQuery(c.text);
        EXPECT_EQ(query.verdict, c.verdict) << "'" << c.text << "'";
        EXPECT_EQ(query.words, c.words) << "'" << c.text << "'";
        if (c.verdict == Verdict::Search) {
            EXPECT_EQ(query.wild, c.wild) << "'" << c.text << "'";
        }
    }
}

TEST(ArchiveIndex, ListsLinesUnderTheCharactersThatOpenTheirWords) {
    const std::pair<std::string, std::string> cases[] = {
        // the characters in the order added
        // A folder path of length 12: its first character, then the letters after each "/".
        {"/MUSIC/ROCK/", "/MR"},
        // Effective length 5: listed under its first character only.
        {"AB CD.MP3", "A"},
        // Effective length 18; the blank before "(" adds nothing, "(" opens "(LIVE".
        {"THE BEST OF (LIVE).MP3", "TB OL("},
        // Lower case folds, Cyrillic included ("рок концерт.mp3").
        {"\xF0\xEE\xEA \xEA\xEE\xED\xF6\xE5\xF0\xF2.mp3", "\xD0\xCA "},
        // The first character is not remembered: a later word with it lists the line again.
        {"TOP THE TIME", "TT "},
        // A later word with an already seen letter is not listed again.
        {"ROCK AND ALL X", "RA "},
        // A four-letter extension starts no word; "-" opens "SIX" and is listed too.
        {"ONE TWO-SIX.FLAC", "OT S-"},
        // Trimmed of blanks and control characters; the line ends at its first NUL.
        {"  \tAB CD EF GH IJ \r", "AC EGI"},
        {"ABCDEFGHIJ KLM\0 NOP QRS"s, "AK "},
        // A separator right before the end of the effective length opens no word.
        {"ABCDEFGHIJK L.MP3", "A"},
        {"ABCDEFGHIJ KL.MP3", "AK "},
        // Separators in a row: the word after them is listed under its first letter only.
        {"ABCDEFGHIJ -- XYZ", "AX "},
        // Separator by separator holds past the first 64 characters too.
        {std::string(60, 'A') + "-XY" + std::string(10, 'A') + " QR ST", "AQ SX-"},
        {"", ""},
    };
    std::string chars;
    for (const auto& [line, expected] : cases) {
        IndexedChars(line, chars);
        EXPECT_EQ(chars, expected) << "line: " << line;
    }
}

// Hits sort by their upper-cased bytes as unsigned values, then by line: ties past the first
// 32 bytes, a NUL and a control byte, Cyrillic of both cases (ё and Ё) and bytes without a
// letter included.
TEST(ArchiveHitOrder, SortsByUpperCasedBytesThenLine) {
    const std::string x(33, 'x');
    const StringList list = toList({x + "b", x + "A", x + "a",
                                    "\xB8"
                                    "a",
                                    "\xA8", "\x01z", "\x80", "z\0b"s, "z", "\xE0", "\xC0"});
    // Gathered in two collectors, as the two halves of a search gather them.
    HitCollector even(list), odd(list);
    for (std::uint32_t i = 0; i < list.size(); ++i) (i % 2 ? odd : even).add(i, list[i]);
    EXPECT_EQ(HitCollector::merged(even, odd).files,
              (std::vector<std::uint32_t>{5, 1, 2, 0, 8, 7, 6, 4, 3, 9, 10}));
}

Lines namesOf(const ArchiveContent& content, const std::vector<std::uint32_t>& lines) {
    Lines names;
    for (const auto line : lines) names.emplace_back(content.FileDirs()[line]);
    return names;
}

// The literal stage for the box text `text` over `names`: whether the first word was indexed,
// and the file hits (folder hits take the same path and order, HitCollector's).
struct Found {
    bool indexed = false;
    Lines files;
};
Found exact(const Lines& names, const std::string& text) {
    const auto content = contentOf(names);
    const SearchQuery query = ParseSearchQuery(text);
    const auto result = MatchExact(*content, query.words, query.wild, SearchCancel());
    EXPECT_TRUE(result.has_value());
    return {result->firstWordIndexed, namesOf(*content, result->hits.files)};
}

TEST(ArchiveExact, FindsTheFilesTheWordsAndTheirOrderAllow) {
    const Lines rock = {"LIVE ROCK.MP3", "ROCK - LIVE.MP3", "Rock Star.mp3", "Rock.mp3",
                        "/MUSIC/ROCK/"};
    const auto gap = [](std::size_t n) {
        return "ROCK" + std::string(n, 'x') + "LIVE END OF NAME";
    };
    const struct {
        Lines names;
        std::string text;
        bool indexed;
        Lines files;
    } cases[] = {
        // "LIVE ROCK.MP3" has effective length 9: it is listed under "L" only and found through
        // the second word's list. A blank finds words in any order, a star in order.
        {rock, "rock live", true, {"LIVE ROCK.MP3", "ROCK - LIVE.MP3"}},
        {rock, "rock*live", true, {"ROCK - LIVE.MP3"}},
        {rock, "live*rock", true, {"LIVE ROCK.MP3"}},
        // A later word must lie within 255 characters of the word before.
        {{gap(251)}, "rock*live", true, {gap(251)}},
        {{gap(252)}, "rock*live", true, {}},
        {{gap(252)}, "rock live", true, {gap(252)}},
        // A pair across byte 256 of a name counts like any other.
        {{std::string(254, 'x') + " QZ"}, "qz", true, {std::string(254, 'x') + " QZ"}},
        // "CX" follows the first "BX" of the whole line, not the "BX" after "AX".
        {{"BX CX AX BX"}, "ax*bx*cx", true, {"BX CX AX BX"}},
        {{"CX AX BX"}, "ax*bx*cx", false, {}},
        // An unindexed first letter searches nothing; occurring inside a word is not enough.
        {rock, "zzz", false, {}},
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

// The finder tries sixteen places at once and the last few from a padded copy: it must find
// what searching an upper-cased copy finds, for every word length, start and text length, with
// case pairs that lie 0x20 apart and one that does not (ё and Ё).
TEST(ArchiveExact, FoldedFinderFindsWhatAnUpperCasedCopyHolds) {
    const std::string alphabet = "aAbB\xB8\xA8\xFF\xDF ";  // pairs, then a blank
    std::mt19937 random(7);
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 20000; ++round) {
        std::string text(pick(90), ' '), word(1 + pick(60), ' ');
        for (char& c : text) c = alphabet[pick(alphabet.size())];
        for (char& c : word) c = alphabet[pick(alphabet.size())];
        // Half the words come from the text with their case changed here and there, so long
        // words are found too.
        if (round % 2 == 1 && word.size() <= text.size()) {
            word = text.substr(pick(text.size() - word.size() + 1), word.size());
            for (char& c : word)
                if (const std::size_t at = alphabet.find(c); at < 8 && pick(2))
                    c = alphabet[at ^ 1];
        }
        const std::size_t from = pick(text.size() + 2);
        ASSERT_EQ(FoldedFinder(word).find(text, from),
                  upperCp1251(text).find(upperCp1251(word), from))
            << "word " << word << " in " << text << " from " << from;
    }
}

TEST(ArchiveRunScore, ScoresTwiceTheRunLengthWhenTheScanMeetsOne) {
    const struct {
        std::string word, line;
        int minRun;
        int score;
    } cases[] = {
        // The worked example: without its extension the name is ROCKSTAR.
        {"ROCKS", "ROCK STAR", 4, 8},
        // The run alone would pass "Rock.mp3"; the stage rejects the name by its length.
        {"ROCKS", "ROCK", 4, 8},
        // Blanks, dots, dashes, underscores and brackets of the line are skipped.
        {"ABCD", "A-B_C.D (X)", 4, 8},
        // A run shorter than minRun is dropped and the scan resumes after it, so a common
        // run that starts inside the dropped one is not met.
        {"ABC", "ABXABC", 3, 0},
        {"ABC", "XABC", 3, 6},
        // The last character of either text starts no run...
        {"AB", "XA", 1, 0},
        {"BA", "AX", 1, 0},
        // ...unless the text has one character.
        {"A", "AX", 1, 2},
        {"A", "A", 1, 2},
        // minRun below 1 counts as 1; an empty text scores nothing.
        {"XA", "AXE", 0, 2},
        {"ABC", " .-", 1, 0},
        // The word loses its blanks.
        {"A BC", "ABCD", 3, 6},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunScore(c.word, c.line, c.minRun), c.score)
            << c.word << " / " << c.line << " / " << c.minRun;
}

// The tolerant stage as the search runs it after the trigger set CurrentQuery.
Lines tolerant(const ArchiveContent& content, SharedSearchState& state, const std::string& text) {
    state.update([&](SearchState& s) { s.CurrentQuery = text; });
    const auto hits = MatchTolerant(content, ParseSearchQuery(text).words, state, SearchCancel());
    EXPECT_TRUE(hits.has_value());
    return hits ? namesOf(content, hits->files) : Lines{};
}

TEST(ArchiveTolerant, LineDropsItsExtensionUnlessAFolderMarkFollowsTheDot) {
    const std::pair<const char*, const char*> cases[] = {{"Rock Star.mp3", "ROCK STAR"},
                                                         {"a.b.c", "A.B"},
                                                         {"dir.x\\file", "DIR.X\\FILE"},
                                                         {"c.d:e", "C.D:E"},
                                                         {"/music/rock.v2/", "/MUSIC/ROCK"}};
    for (const auto& [name, line] : cases) EXPECT_EQ(TolerantLine(name), line);
}

TEST(ArchiveTolerant, GrownQueryResumesAtThePreviousFirstHit) {
    // "xxatlexx" shares the run "ATLE" with "beatle" but no run of four with "beatl".
    const auto content = contentOf({"xxatlexx", "beatlxx", "the beatles", "jazz"});
    SharedSearchState state;
    EXPECT_EQ(tolerant(*content, state, "beatl"), (Lines{"beatlxx", "the beatles"}));
    EXPECT_EQ(state.get().FuzzyResume, 1);
    // "beatle" begins with "beatl": the scan starts at line 1 and never sees line 0.
    EXPECT_EQ(tolerant(*content, state, "beatle"), (Lines{"beatlxx", "the beatles"}));
    SharedSearchState fresh;
    EXPECT_EQ(tolerant(*content, fresh, "beatle"), (Lines{"beatlxx", "the beatles", "xxatlexx"}));
    // A text that does not begin with the last one starts again from line 0.
    EXPECT_EQ(tolerant(*content, state, "xatle"), (Lines{"the beatles", "xxatlexx"}));
    EXPECT_EQ(state.get().FuzzyResume, 0);

    // A search without file hits forgets its text.
    SharedSearchState none;
    EXPECT_TRUE(tolerant(*contentOf({"Jazz.mp3", "/rockstar/"}), none, "rocks").empty());
    EXPECT_EQ(none.get().LastFuzzyQuery, "");
    EXPECT_EQ(none.get().CurrentQuery, "n");
}

TEST(ArchiveTolerant, ThreeWordQueriesEaseShortWordsAndWordsAfterALiteralOne) {
    // With three words, words of three or four letters need no run at all, and "ZZZZZZ"
    // passes where "ROCK", the word before it, occurs literally.
    const auto content = contentOf({"rock abc qqqq", "rxck abc qqqq", "rock qqqqqqqq"});
    SharedSearchState state;
    EXPECT_EQ(tolerant(*content, state, "xyz rock zzzzzz"),
              (Lines{"rock abc qqqq", "rock qqqqqqqq"}));
    // With two words each must meet its run.
    EXPECT_TRUE(tolerant(*content, state, "rock zzzzzz").empty());
}

}  // namespace
}  // namespace quarrow::test
