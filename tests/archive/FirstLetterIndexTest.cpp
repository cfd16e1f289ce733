#include <gtest/gtest.h>

#include <random>

#include "archive/FindFrom.h"
#include "archive/FirstLetterIndex.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

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

}  // namespace
}  // namespace quarrow
