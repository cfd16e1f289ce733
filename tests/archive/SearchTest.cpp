// The archive search's stages: the box text's words, the first-letter index, the literal and
// tolerant matches, the order of hits and the run of a whole search.
#include <gtest/gtest.h>

#include <random>

#include "archive/ArchiveTestData.h"
#include "archive/FindFrom.h"
#include "archive/FirstLetterIndex.h"
#include "archive/HitCollector.h"
#include "archive/MatchExact.h"
#include "archive/MatchTolerant.h"
#include "archive/RunScore.h"
#include "archive/RunSearch.h"
#include "archive/SearchQuery.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

using Names = std::vector<std::string>;
using Verdict = SearchQuery::Verdict;

TEST(ArchiveQuery, SplitsBoxTextIntoWords) {
    struct Case {
        std::string text;
        Verdict verdict;
        std::vector<std::string> words;
        bool wild;
    };
    const std::vector<Case> cases = {
        {"rock live", Verdict::Search, {"ROCK", "LIVE"}, true},
        {"rock*live", Verdict::Search, {"ROCK", "LIVE"}, false},
        {"rock?live", Verdict::Search, {"ROCK", "LIVE"}, true},
        {"rock", Verdict::Search, {"ROCK"}, false},
        // Two blanks in a row leave an empty word between them.
        {"ab  cd", Verdict::Search, {"AB", "", "CD"}, true},
        // A blank typed last, or a star as the last non-blank character, searches nothing.
        {"rock ", Verdict::NoResult, {}, false},
        {"rock*", Verdict::NoResult, {}, false},
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
        {"/", Verdict::RedrawOnly, {}, false},
        {" \t", Verdict::RedrawOnly, {}, false},
        // Words are trimmed of control characters; Cyrillic is upper-cased.
        {"rock\t", Verdict::Search, {"ROCK"}, false},
        {"\xF0\xEE\xEA", Verdict::Search, {"\xD0\xCE\xCA"}, false},
    };
    for (const auto& c : cases) {
        const SearchQuery query = ParseSearchQuery(c.text);
        EXPECT_EQ(query.verdict, c.verdict) << "text: '" << c.text << "'";
        EXPECT_EQ(query.words, c.words) << "text: '" << c.text << "'";
        if (c.verdict == Verdict::Search) {
            EXPECT_EQ(query.wild, c.wild) << "text: '" << c.text << "'";
        }
    }
}

TEST(ArchiveIndex, ListsLinesUnderTheCharactersThatOpenTheirWords) {
    struct Case {
        std::string line;
        std::string chars;  // in the order the builder adds them
    };
    const std::vector<Case> cases = {
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
        {"", ""},
    };
    std::string chars;
    for (const auto& c : cases) {
        IndexedChars(c.line, chars);
        EXPECT_EQ(chars, c.chars) << "line: " << c.line;
    }
}

TEST(ArchiveIndex, StopFlagLeavesBuildEarly) {
    StringList lines;
    for (int i = 0; i < 100; ++i) lines.append("SOME NAME NUMBER " + std::to_string(i));
    const std::atomic<bool> stop{true};
    EXPECT_EQ(FirstLetterIndex::Build(lines, &stop).entryCount(), 0u);
}

TEST(ArchiveFindFrom, FindsFirstOccurrenceAtOrAfterStart) {
    struct Case {
        std::size_t start;
        std::string pattern, text;
        std::size_t position;
    };
    // 1-based positions, 0 for none; the random test below covers ordinary texts.
    const std::vector<Case> cases = {
        {13, "/", "/MUSIC/ROCK/", 0}, {1, "X", "", 0},     {1, "", "TEXT", 0},
        {1, "TEXTS", "TEXT", 0},      {0, "T", "TEXT", 1}, {4, "ABA", "XXABABA", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindFrom(c.start, c.pattern, c.text), c.position)
            << c.pattern << " in " << c.text << " from " << c.start;
    }
}

TEST(ArchiveFindFrom, AgreesWithStringFindOnRandomTexts) {
    std::mt19937 rng(11);
    for (int round = 0; round < 5000; ++round) {
        std::string text(rng() % 30, 'a'), pattern(1 + rng() % 4, 'a');
        for (char& c : text) c = "abc"[rng() % 3];
        for (char& c : pattern) c = "abc"[rng() % 3];
        const std::size_t start = 1 + rng() % (text.size() + 2);
        const std::size_t at =
            start - 1 <= text.size() ? text.find(pattern, start - 1) : std::string::npos;
        const std::size_t expected = at == std::string::npos || text.empty() ? 0 : at + 1;
        ASSERT_EQ(FindFrom(start, pattern, text), expected)
            << pattern << " in " << text << " from " << start;
    }
}

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

TEST(ArchiveRunScore, ScoresTwiceTheRunLengthWhenTheScanMeetsOne) {
    struct Case {
        std::string word, line;
        int minRun;
        int score;
    };
    const std::vector<Case> cases = {
        // The worked example: without its extension the name is ROCKSTAR.
        {"ROCKS", "ROCK STAR", 4, 8},
        // The run alone would pass "Rock.mp3"; the stage rejects the name by its length, as
        // quarrow-cli's search for "rocks" shows.
        {"ROCKS", "ROCK", 4, 8},
        // Blanks, dots, dashes, underscores and brackets of the line are skipped.
        {"ABCD", "A-B_C.D (X)", 4, 8},
        // A run shorter than minRun is dropped and the scan resumes after it, so a common
        // run that starts inside the dropped one is not met.
        {"ABC", "ABXABC", 3, 0},
        {"ABC", "XABC", 3, 6},
        // The last character of either text starts no run...
        {"AB", "XA", 1, 0},
        {"AB", "BX", 1, 0},
        {"BA", "AX", 1, 0},
        // ...unless the text has one character.
        {"A", "XA", 1, 0},
        {"A", "AX", 1, 2},
        {"A", "A", 1, 2},
        // minRun below 1 counts as 1; an empty text scores nothing.
        {"XA", "AXE", 0, 2},
        {"", "ABC", 1, 0},
        {"ABC", " .-", 1, 0},
        // The word loses its blanks.
        {"A BC", "ABCD", 3, 6},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunScore(c.word, c.line, c.minRun), c.score)
            << c.word << " / " << c.line << " / " << c.minRun;
}

TEST(ArchiveTolerant, LineDropsItsExtensionUnlessAFolderMarkFollowsTheDot) {
    EXPECT_EQ(TolerantLine("Rock Star.mp3"), "ROCK STAR");
    EXPECT_EQ(TolerantLine("a.b.c"), "A.B");
    EXPECT_EQ(TolerantLine("dir.x\\file"), "DIR.X\\FILE");
    EXPECT_EQ(TolerantLine("c.d:e"), "C.D:E");
    EXPECT_EQ(TolerantLine("/music/rock.v2/"), "/MUSIC/ROCK");
}

// The tolerant stage as the search runs it after the trigger set CurrentQuery.
std::vector<std::string> tolerant(const ArchiveContent& content, SharedSearchState& state,
                                  const std::string& text) {
    state.update([&](SearchState& s) { s.CurrentQuery = text; });
    const auto words = ParseSearchQuery(text).words;
    const auto hits = MatchTolerant(content, words, state, SearchCancel());
    EXPECT_TRUE(hits.has_value());
    return hits ? namesOf(content, hits->files) : Names{};
}

TEST(ArchiveTolerant, GrownQueryResumesAtThePreviousFirstHit) {
    // "xxatlexx" shares the run "ATLE" with "beatle" but no run of four with "beatl".
    const auto content = test::contentOf({"xxatlexx", "beatlxx", "the beatles", "jazz"});
    SharedSearchState state;
    EXPECT_EQ(tolerant(*content, state, "beatl"),
              (std::vector<std::string>{"beatlxx", "the beatles"}));
    EXPECT_EQ(state.get().FuzzyResume, 1);
    // "beatle" begins with "beatl": the scan starts at line 1 and never sees line 0.
    EXPECT_EQ(tolerant(*content, state, "beatle"),
              (std::vector<std::string>{"beatlxx", "the beatles"}));
    SharedSearchState fresh;
    EXPECT_EQ(tolerant(*content, fresh, "beatle"),
              (std::vector<std::string>{"beatlxx", "the beatles", "xxatlexx"}));
    // A text that does not begin with the last one starts again from line 0.
    EXPECT_EQ(tolerant(*content, state, "xatle"),
              (std::vector<std::string>{"the beatles", "xxatlexx"}));
    EXPECT_EQ(state.get().FuzzyResume, 0);
}

TEST(ArchiveTolerant, SearchWithoutFileHitsForgetsItsText) {
    const auto content = test::contentOf({"Jazz.mp3", "/rockstar/"});
    SharedSearchState state;
    EXPECT_TRUE(tolerant(*content, state, "rocks").empty());
    const SearchState after = state.get();
    EXPECT_EQ(after.LastFuzzyQuery, "");
    EXPECT_EQ(after.CurrentQuery, "n");
}

TEST(ArchiveTolerant, ThreeWordQueriesEaseShortWordsAndWordsAfterALiteralOne) {
    // With three words, words of three or four letters need no run at all, and "ZZZZZZ"
    // passes where "ROCK", the word before it, occurs literally.
    const auto content = test::contentOf({"rock abc qqqq", "rxck abc qqqq", "rock qqqqqqqq"});
    SharedSearchState state;
    EXPECT_EQ(tolerant(*content, state, "xyz rock zzzzzz"),
              (std::vector<std::string>{"rock abc qqqq", "rock qqqqqqqq"}));
    // With two words each must meet its run.
    EXPECT_TRUE(tolerant(*content, state, "rock zzzzzz").empty());
}

FormTexts statusTexts() {
    FormTexts texts;
    texts.allfile = "All";
    texts.findfile = "Found";
    texts.nofindfile = "Nothing";
    return texts;
}

TEST(ArchiveRunSearch, StatusTellsWhatTheStagesFound) {
    const auto content = test::contentOf({"Rock Star.mp3", "Rock.mp3", "/music/rock/"});
    SharedSearchState state;
    const FormTexts texts = statusTexts();
    const auto run = [&](const std::string& text) {
        state.update([&](SearchState& s) { s.CurrentQuery = text; });
        return RunSearch(*content, text, state, texts, SearchCancel());
    };
    // What "rock", "rocks" and the same text again show is checked through quarrow-cli.
    // An empty middle word: nothing literal, so the tolerant stage runs.
    const SearchOutcome gap = run("rock  star");
    EXPECT_EQ(gap.status, std::optional<std::string>("Nothing"));
    EXPECT_EQ(gap.hits.files, (std::vector<std::uint32_t>{0}));
    // Unindexed first letter: lists emptied, status kept.
    const SearchOutcome unindexed = run("zebra");
    EXPECT_EQ(unindexed.kind, SearchOutcome::Kind::Published);
    EXPECT_FALSE(unindexed.status.has_value());
    EXPECT_EQ(run("rock*").kind, SearchOutcome::Kind::Unchanged);
    EXPECT_EQ(run("/").kind, SearchOutcome::Kind::Unchanged);
}

TEST(ArchiveRunSearch, SearchOvertakenByANewerOneShowsNothing) {
    const auto content = test::contentOf({"Rock Star.mp3", "Rock.mp3"});
    SharedSearchState state;
    std::atomic<std::uint64_t> latest{7};
    const SearchCancel overtaken(latest, 6);
    for (const std::string text : {"rock", "rocks"}) {
        state.update([&](SearchState& s) { s.CurrentQuery = text; });
        const SearchOutcome outcome = RunSearch(*content, text, state, statusTexts(), overtaken);
        EXPECT_EQ(outcome.kind, SearchOutcome::Kind::Cancelled) << text;
        EXPECT_TRUE(outcome.hits.empty()) << text;
    }
    // The tolerant stage gave up before it ran: nothing of its state changed.
    EXPECT_EQ(state.get().LastFuzzyQuery, "");
}

}  // namespace
}  // namespace quarrow
