#include <gtest/gtest.h>

#include "archive/SearchQuery.h"

namespace quarrow {
namespace {

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

}  // namespace
}  // namespace quarrow
