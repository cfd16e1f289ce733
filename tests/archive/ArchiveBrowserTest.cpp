#include "archive/ArchiveBrowser.h"
#include "archive/ArchiveTestData.h"
#include "engine/EngineContext.h"
#include "engine/TestHelpers.h"

namespace quarrow::test {
namespace {

using Action = TriggerDecision::Action;

TEST(ArchiveHistory, KeepsAtMostThirtyNewestTextsUpperCased) {
    Lines items;
    // With an empty list a text of any length is added.
    UpdateSearchHistory(items, " ab ");
    // Short texts, texts an item begins with and texts extending an item are not added.
    for (const char* text : {"xyz", "ABCDEFG", "abxxxxxx", "A"}) UpdateSearchHistory(items, text);
    EXPECT_EQ(items, (Lines{"AB"}));
    // Equally long texts: none begins another.
    for (int i = 0; i <= 30; ++i)
        UpdateSearchHistory(items, "query" + std::string(i < 10 ? "0" : "") + std::to_string(i));
    // A text already listed is not added again.
    UpdateSearchHistory(items, "Query30");
    ASSERT_EQ(items.size(), 30u);
    EXPECT_EQ((Lines{items[0], items[1], items.back()}), (Lines{"QUERY30", "QUERY29", "QUERY01"}));
}

Lines fileNames(const SearchResults& results) {
    Lines names;
    for (std::size_t r = 0; r < results.fileRows(); ++r) names.emplace_back(results.fileName(r));
    return names;
}

class ArchiveBrowserTest : public testing::Test {
protected:
    // The tab's search box: a key release, then the timer's tick with the text.
    Action type(const std::string& text) {
        browser_.KeyUp();
        const Action action = browser_.Timer9Timer(text, true, history_);
        browser_.WaitForSearches();
        return action;
    }

    TempDir dir_;
    EngineContext context_{dir_.path()};
    ArchiveBrowser browser_{context_, {}};
    Lines history_;
};

// The archive job takes the number after the scans' and leaves their records alone; a later
// load replaces its content and clears the shown hits. Each install and each search wakes the
// window once.
TEST_F(ArchiveBrowserTest, LoadCreatesTheArchiveJobOnceAndLaterLoadsReplaceItsContent) {
    const int scan = context_.Jobs.add();
    context_.Jobs.at(scan)->FileNames.append("scan.mp3");
    auto timer = std::make_shared<CountingNotifier>();
    const int job = browser_.Install(contentOf({"Rock.mp3", "/music/rock/"}), "Ident", timer, {});
    EXPECT_EQ(job, scan + 1);
    EXPECT_EQ((std::vector<int>{context_.ArchiveJob.load(), context_.CurrentJob.load(),
                                context_.Jobs.at(job)->DirIndex.load(), timer->calls.load()}),
              (std::vector<int>{job, job, -1, 1}));
    EXPECT_EQ(type("rock"), Action::Search);
    EXPECT_EQ(fileNames(*browser_.Results()), (Lines{"Rock.mp3"}));
    EXPECT_EQ(timer->calls.load(), 2);

    EXPECT_EQ(browser_.Install(contentOf({"Jazz.mp3"}), "Ident", timer, nullptr), job);
    EXPECT_EQ(browser_.Results()->fileRows(), 0u);
    type("jazz");
    EXPECT_EQ(fileNames(*browser_.Results()), (Lines{"Jazz.mp3"}));
    EXPECT_EQ(context_.Jobs.at(scan)->FileNames.size(), 1u);
}

// Right after a search started, texts of up to 3 characters wait for a key release or 50 ms.
TEST_F(ArchiveBrowserTest, ShortTextRightAfterASearchStartWaitsForAKeyRelease) {
    browser_.Install(contentOf({"Rock.mp3"}), "", nullptr, nullptr);
    const auto at = [now = ArchiveBrowser::Clock::now()](int ms) {
        return now + std::chrono::milliseconds(ms);
    };
    EXPECT_EQ(browser_.Timer9Timer("rock", true, history_, at(0)), Action::Search);
    EXPECT_EQ(browser_.Timer9Timer("roc", true, history_, at(10)), Action::Skip);
    EXPECT_EQ(browser_.Timer9Timer("roc", true, history_, at(60)), Action::Search);
    EXPECT_EQ(browser_.Timer9Timer("ro", true, history_, at(70)), Action::Skip);
    browser_.KeyUp();
    EXPECT_EQ(browser_.Timer9Timer("ro", true, history_, at(71)), Action::Search);
    browser_.WaitForSearches();
}

// Names enough that searches of every stage overlap. The window draws from whatever list is
// published, which is always whole; whichever way the searches interleave, what is shown in
// the end is the newest text's hits, and a key press in between never lets an older search
// through.
TEST_F(ArchiveBrowserTest, WindowReadsWholeListsWhileSearchesRunAndOnlyTheNewestIsShown) {
    const char* words[] = {"rock", "live", "best", "a b", "x1", "tail", "\xEF\xE5\xF1\xED\xFF"};
    Lines names;
    for (std::size_t i = 0; i < 60000; ++i)
        names.push_back(std::string(i % 5 ? "" : "/") + words[i % 7] + " " + words[i / 7 % 7] +
                        "-" + words[i / 49 % 7] + (i % 3 ? ".mp3" : " " + std::to_string(i)));
    names.push_back("zz top.mp3");
    browser_.Install(contentOf(names), "", nullptr, nullptr);
    const auto expectWhole = [&] {
        const auto shown = browser_.Results();
        for (std::size_t r = 0; r < shown->fileRows(); ++r)
            ASSERT_EQ(shown->fileName(r).find('/'), std::string_view::npos);
        for (std::size_t r = 0; r < shown->dirRows(); ++r)
            ASSERT_NE(shown->dirName(r).find('/'), std::string_view::npos);
    };
    const Lines texts = {"rock", "a b", "live*best", "x1", "rocks", "tail", "b"};
    for (std::size_t round = 0; round < 21; ++round) {
        browser_.KeyUp();
        browser_.Timer9Timer(texts[round % texts.size()], true, history_);
        expectWhole();
        browser_.KeyDown();
        browser_.KeyUp();
        browser_.Timer9Timer(texts[(round + 3) % texts.size()], true, history_);
        expectWhole();
        browser_.Timer9Timer("zz top", true, history_);
        browser_.WaitForSearches();
        ASSERT_EQ(fileNames(*browser_.Results()), (Lines{"zz top.mp3"}));
    }
}

}  // namespace
}  // namespace quarrow::test
