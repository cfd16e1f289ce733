#include <gtest/gtest.h>

#include "archive/ArchiveTestData.h"
#include "archive/MatchTolerant.h"
#include "archive/RunScore.h"
#include "archive/RunSearch.h"
#include "archive/SearchQuery.h"

namespace quarrow {
namespace {

TEST(ArchiveRunScore, ScoresTwiceTheRunLengthWhenTheScanMeetsOne) {
    struct Case {
        std::string word, line;
        int minRun;
        int score;
    };
    const std::vector<Case> cases = {
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
    std::vector<std::string> names;
    for (const auto line : hits->files) names.emplace_back(content.FileDirs()[line]);
    return names;
}

TEST(ArchiveTolerant, AcceptsSharedRunsButNotNamesShorterThanTheQuery) {
    const auto content = test::contentOf({"Rock.mp3", "Rock Star.mp3", "Jazz.mp3"});
    SharedSearchState state;
    EXPECT_EQ(tolerant(*content, state, "rocks"), (std::vector<std::string>{"Rock Star.mp3"}));
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
